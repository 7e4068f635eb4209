#include "platform/messages.h"

#include "support/recordingpresenter.h"
#include "text/strings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using kelvara::FormatText;
using kelvara::test::RecordingPresenter;

TEST(ErrorText, SystemErrorsReadWithTheirText)
{
    EXPECT_EQ(kelvara::GetErrorText(kelvara::ResultFromErrno(ENOMEM)), "Cannot allocate memory");
    EXPECT_EQ(kelvara::GetErrorText(kelvara::ResultFromErrno(0xFFFF)), "<unavailable error>");
    EXPECT_EQ(kelvara::GetErrorText(0x12345), "<unavailable error>");
    EXPECT_EQ(kelvara::ResultFromErrno(ENOENT), static_cast<std::int32_t>(0x80070002));
    EXPECT_EQ(kelvara::ResultFromErrno(0), 0);
}

// A failure's own words stand for its code's, with line ends folded as the system's texts are.
TEST(ShowFailureMessage, TheFailuresTextFollowsTheMessage)
{
    RecordingPresenter presenter;
    kelvara::ShowFailureMessage(46, kelvara::MB_OK, static_cast<std::int32_t>(0x800C0005u),
                                "Host\r\nnot found\r\n\n");
    kelvara::ShowFailureMessage(46, kelvara::MB_OK, static_cast<std::int32_t>(0x800C0006u), "");
    ASSERT_EQ(presenter.messages.size(), 2u);
    const std::string retrieving = FormatText(kelvara::LoadString(46), {});
    EXPECT_EQ(presenter.messages[0].text, retrieving + "\n\nHostnot found [0x800C0005]");
    EXPECT_EQ(presenter.messages[0].type, kelvara::MB_ICONERROR);
    EXPECT_EQ(presenter.messages[1].text, retrieving + "\n\n<unavailable error> [0x800C0006]");
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
