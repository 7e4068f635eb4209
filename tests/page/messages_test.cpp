#include "page/messages.h"
#include "support/recordingpresenter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>

namespace {

using kelvara::FormatText;
using kelvara::test::RecordingPresenter;

TEST(ShowMessage, FillsTheStringTableEntryWithTypedArguments)
{
    RecordingPresenter presenter(kelvara::IDYES);
    EXPECT_EQ(ShowMessage(43, kelvara::MB_OK, "1.5 KB", std::string("2 MB")), kelvara::IDYES);
    EXPECT_EQ(ShowMessage(7, kelvara::MB_OK | kelvara::MB_ICONINFORMATION, 1, 2, 3u, 4L), kelvara::IDYES);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[0].text, "Downloaded 1.5 KB of 2 MB...");
    EXPECT_EQ(presenter.messages[0].type, kelvara::MB_OK);
    EXPECT_EQ(presenter.messages[1].text, "Version: 1.02 (build 3.4)");
    EXPECT_EQ(presenter.messages[1].type, kelvara::MB_OK | kelvara::MB_ICONINFORMATION);
}

TEST(ShowErrorMessage, TheLastSystemErrorReadsWithItsTextAndCode)
{
    RecordingPresenter presenter;
    errno = ENOMEM;
    ShowErrorMessage(200, kelvara::MB_ICONERROR, -1);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "Initialization failed.\n\nCannot allocate memory [0x8007000C]");
    EXPECT_EQ(presenter.messages[0].type, kelvara::MB_ICONERROR);
}

TEST(ShowErrorMessage, TheCodeChoosesTheIcon)
{
    RecordingPresenter presenter;
    ShowErrorMessage(203, kelvara::MB_YESNO | kelvara::MB_ICONQUESTION, 0);
    errno = 0;
    ShowErrorMessage(203, kelvara::MB_OK | kelvara::MB_ICONERROR, -1);
    ShowErrorMessage(203, kelvara::MB_OK | kelvara::MB_ICONERROR, 5);
    ShowErrorMessage(203, kelvara::MB_OK, kelvara::ResultFromErrno(ENOENT));
    ASSERT_EQ(presenter.messages.size(), 4u);
    EXPECT_EQ(presenter.messages[0].text, "Invalid currency rate");
    EXPECT_EQ(presenter.messages[0].type, kelvara::MB_YESNO | kelvara::MB_ICONINFORMATION);
    EXPECT_EQ(presenter.messages[1].text, "Invalid currency rate");
    EXPECT_EQ(presenter.messages[1].type, kelvara::MB_ICONINFORMATION);
    EXPECT_EQ(presenter.messages[2].text, "Invalid currency rate\n\n<unavailable error> [0x00000005]");
    EXPECT_EQ(presenter.messages[2].type, kelvara::MB_ICONWARNING);
    EXPECT_EQ(presenter.messages[3].text, "Invalid currency rate\n\nNo such file or directory [0x80070002]");
    EXPECT_EQ(presenter.messages[3].type, kelvara::MB_ICONERROR);
}

std::string NetworkText(std::int32_t code)
{
    return code == static_cast<std::int32_t>(0x800C0005) ? "Host not found.\r\nCheck the address.\r\n" : "";
}

TEST(GetErrorText, ReadsSystemCodesAndRegisteredCodesOnOneLine)
{
    EXPECT_EQ(kelvara::GetErrorText(kelvara::ResultFromErrno(EACCES)), "Permission denied");
    EXPECT_EQ(kelvara::GetErrorText(static_cast<std::int32_t>(0x8007FFFF)), "<unavailable error>");
    EXPECT_EQ(kelvara::GetErrorText(static_cast<std::int32_t>(0x800C0005)), "<unavailable error>");
    kelvara::SetErrorTextProvider(NetworkText);
    EXPECT_EQ(kelvara::GetErrorText(static_cast<std::int32_t>(0x800C0005)),
              "Host not found.Check the address.");
    EXPECT_EQ(kelvara::GetErrorText(static_cast<std::int32_t>(0x800C0006)), "<unavailable error>");
    kelvara::SetErrorTextProvider(nullptr);
    EXPECT_EQ(kelvara::ResultFromErrno(0), 0);
    EXPECT_EQ(kelvara::ResultFromErrno(0x12345), static_cast<std::int32_t>(0x80072345));
}

TEST(FormatText, AnArgumentOfTheWrongKindPrintsSensiblyAndSafely)
{
    EXPECT_EQ(FormatText("%d", {1e300}), "9223372036854775807");
    EXPECT_EQ(FormatText("%d", {-1e300}), "-9223372036854775808");
    EXPECT_EQ(FormatText("%d", {std::nan("")}), "0");
    EXPECT_EQ(FormatText("%u", {std::numeric_limits<double>::infinity()}), "9223372036854775807");
    EXPECT_EQ(FormatText("%d items", {"many"}), "many items");
    EXPECT_EQ(FormatText("%s/%s", {42, 2.5}), "42/2.5");
    EXPECT_EQ(FormatText("%5.2f|%x", {3, 255u}), " 3.00|ff");
    EXPECT_EQ(FormatText("%c%c%c", {65, 0x263A, 0}), "A\u263A");
    EXPECT_EQ(FormatText("%c", {std::uint64_t{0x110000}}), "");
    // Missing arguments print nothing; surplus ones are ignored; unknown conversions stay.
    EXPECT_EQ(FormatText("%s and %d%%", {"one"}), "one and %");
    EXPECT_EQ(FormatText("%n %q", {1, 2}), "%n %q");
}

} // namespace
