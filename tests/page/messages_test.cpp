#include "page/messages.h"
#include "support/recordingpresenter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using kelvara::FormatText;
using kelvara::test::RecordingPresenter;

TEST(FormatText, FillsPlaceholdersByKind)
{
    EXPECT_EQ(FormatText("Version: %d.%02d (build %d.%d)", {1, 5, 0, 0}), "Version: 1.05 (build 0.0)");
    EXPECT_EQ(FormatText("Downloaded %s of %s...", {"1.20 KB", std::string("3.00 KB")}),
              "Downloaded 1.20 KB of 3.00 KB...");
    EXPECT_EQ(FormatText("[0x%08X] %u%%", {0x8007000Eu, 42u}), "[0x8007000E] 42%");
    EXPECT_EQ(FormatText("%f", {2.5}), "2.500000");
    EXPECT_EQ(FormatText("%ld items", {7L}), "7 items");
}

TEST(FormatText, MismatchedOrMissingArgumentsAreSafe)
{
    // A text where a number belongs prints the text; a number for %s prints the number.
    EXPECT_EQ(FormatText("%d", {"seven"}), "seven");
    EXPECT_EQ(FormatText("%s", {12}), "12");
    EXPECT_EQ(FormatText("a %s b %d c", {}), "a  b  c");
    EXPECT_EQ(FormatText("%n %p %", {1, 2}), "%n %p %");
    EXPECT_EQ(FormatText("%s", {static_cast<const char*>(nullptr)}), "");
}

TEST(ErrorText, SystemErrorsReadWithTheirText)
{
    EXPECT_EQ(kelvara::GetErrorText(kelvara::ResultFromErrno(ENOMEM)), "Cannot allocate memory");
    EXPECT_EQ(kelvara::GetErrorText(kelvara::ResultFromErrno(0xFFFF)), "<unavailable error>");
    EXPECT_EQ(kelvara::GetErrorText(0x12345), "<unavailable error>");
    EXPECT_EQ(kelvara::ResultFromErrno(ENOENT), static_cast<std::int32_t>(0x80070002));
    EXPECT_EQ(kelvara::ResultFromErrno(0), 0);
}

TEST(ErrorText, ProvidersSupplyOtherCodesWithLineEndsFolded)
{
    kelvara::SetErrorTextProvider([](std::int32_t code) -> std::string {
        return code == 0x00010005 ? "Host\r\nnot found\r\n\n" : "";
    });
    EXPECT_EQ(kelvara::GetErrorText(0x00010005), "Hostnot found");
    EXPECT_EQ(kelvara::GetErrorText(0x00010006), "<unavailable error>");
    kelvara::SetErrorTextProvider(nullptr);
}

TEST(ShowErrorMessage, IconFollowsTheCode)
{
    RecordingPresenter presenter(kelvara::IDCANCEL);
    EXPECT_EQ(ShowErrorMessage(200, kelvara::MB_ICONWARNING | kelvara::MB_OKCANCEL, 0), kelvara::IDCANCEL);
    errno = ENOMEM;
    ShowErrorMessage(200, kelvara::MB_ICONINFORMATION, -1);
    ShowErrorMessage(46, kelvara::MB_OK, 5);
    ASSERT_EQ(presenter.messages.size(), 3u);
    EXPECT_EQ(presenter.messages[0].text, "Initialization failed.");
    EXPECT_EQ(presenter.messages[0].type, kelvara::MB_OKCANCEL | kelvara::MB_ICONINFORMATION);
    EXPECT_EQ(presenter.messages[1].text, "Initialization failed.\n\nCannot allocate memory [0x8007000C]");
    EXPECT_EQ(presenter.messages[1].type, kelvara::MB_ICONERROR);
    EXPECT_EQ(presenter.messages[2].type, kelvara::MB_ICONWARNING);
    EXPECT_NE(presenter.messages[2].text.find(" [0x00000005]"), std::string::npos);
}

TEST(ShowMessage, NoPresenterAnswersSafely)
{
    EXPECT_EQ(ShowMessage(45, kelvara::MB_YESNO | kelvara::MB_ICONQUESTION), kelvara::IDNO);
    EXPECT_EQ(ShowMessage(44, kelvara::MB_OK), kelvara::IDOK);
}

TEST(FormatText, NumbersOutOfRangeOrOfAnotherKindAreNeverUndefined)
{
    // A double for an integer placeholder saturates instead of overflowing the conversion.
    EXPECT_EQ(FormatText("%d", {1e300}), "9223372036854775807");
    EXPECT_EQ(FormatText("%d", {-1e300}), "-9223372036854775808");
    EXPECT_EQ(FormatText("%d", {std::nan("")}), "0");
    EXPECT_EQ(FormatText("%u", {std::numeric_limits<double>::infinity()}), "9223372036854775807");
    EXPECT_EQ(FormatText("%5.2f|%x", {3, 255u}), " 3.00|ff");
    // %c writes UTF-8 and never a NUL or a code that is no character.
    EXPECT_EQ(FormatText("%c%c%c", {65, 0x263A, 0}), "A\u263A");
    EXPECT_EQ(FormatText("%c%c", {std::uint64_t{0x110000}, 0xD800}), "");
}

TEST(ShowErrorMessage, NoLastErrorMeansInformationAndTheIconOfTheTypeIsReplaced)
{
    RecordingPresenter presenter;
    errno = 0;
    ShowErrorMessage(203, kelvara::MB_YESNO | kelvara::MB_ICONERROR, -1);
    ShowErrorMessage(203, kelvara::MB_OK | kelvara::MB_ICONQUESTION, kelvara::ResultFromErrno(ENOENT));
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[0].text, "Invalid currency rate");
    EXPECT_EQ(presenter.messages[0].type, kelvara::MB_YESNO | kelvara::MB_ICONINFORMATION);
    EXPECT_EQ(presenter.messages[1].text, "Invalid currency rate\n\nNo such file or directory [0x80070002]");
    EXPECT_EQ(presenter.messages[1].type, kelvara::MB_ICONERROR);
}

} // namespace
