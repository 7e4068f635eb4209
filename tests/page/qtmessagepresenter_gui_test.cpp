#include "platform/messages.h"

#include "page/qtmessagepresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

using kelvara::QtMessagePresenter;

TEST(QtMessagePresenter, BoxCarriesTitleTextIconAndButtonsOfTheType)
{
    struct Case {
        unsigned type;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    } cases[] = {
        {kelvara::MB_OK | kelvara::MB_ICONERROR, QMessageBox::Critical, QMessageBox::Ok},
        {kelvara::MB_OKCANCEL | kelvara::MB_ICONWARNING, QMessageBox::Warning,
         QMessageBox::Ok | QMessageBox::Cancel},
        {kelvara::MB_YESNO | kelvara::MB_ICONQUESTION, QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No},
        {kelvara::MB_YESNOCANCEL | kelvara::MB_ICONINFORMATION, QMessageBox::Information,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {kelvara::MB_OK, QMessageBox::NoIcon, QMessageBox::Ok},
    };
    for (const Case& c : cases) {
        const auto box = QtMessagePresenter::CreateBox("Line one\nLine <b>two</b>", c.type, nullptr);
        EXPECT_EQ(box->windowTitle(), "Kelvara");
        EXPECT_EQ(box->text(), "Line one\nLine <b>two</b>");
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), c.icon) << "type " << c.type;
        EXPECT_EQ(box->standardButtons(), c.buttons) << "type " << c.type;
    }
}

// Presents a box and, once it is open, lets `act` close it; answers what Present returned.
int PresentAndAct(unsigned type, const std::function<void(QMessageBox&)>& act)
{
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
    QtMessagePresenter presenter;
    return presenter.Present("Question?", type);
}

TEST(QtMessagePresenter, AnswersTheButtonPressed)
{
    using kelvara::MB_OKCANCEL;
    using kelvara::MB_YESNO;
    using kelvara::MB_YESNOCANCEL;
    auto click = [](QMessageBox::StandardButton which) {
        return [which](QMessageBox& box) { box.button(which)->click(); };
    };
    EXPECT_EQ(PresentAndAct(MB_YESNO, click(QMessageBox::Yes)), kelvara::IDYES);
    EXPECT_EQ(PresentAndAct(MB_YESNO, click(QMessageBox::No)), kelvara::IDNO);
    EXPECT_EQ(PresentAndAct(MB_OKCANCEL, click(QMessageBox::Ok)), kelvara::IDOK);
    EXPECT_EQ(PresentAndAct(MB_YESNOCANCEL, click(QMessageBox::Cancel)), kelvara::IDCANCEL);
    EXPECT_EQ(PresentAndAct(kelvara::MB_OK, click(QMessageBox::Ok)), kelvara::IDOK);
}

TEST(QtMessagePresenter, EscapeNeverAnswersYes)
{
    auto escape = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
    EXPECT_EQ(PresentAndAct(kelvara::MB_YESNO, escape), kelvara::IDNO);
    EXPECT_EQ(PresentAndAct(kelvara::MB_YESNOCANCEL, escape), kelvara::IDCANCEL);
    EXPECT_EQ(PresentAndAct(kelvara::MB_OKCANCEL, escape), kelvara::IDCANCEL);
}

TEST(QtMessagePresenter, ShowsTheMessagesOfTheProgramOnceInstalled)
{
    QtMessagePresenter presenter;
    kelvara::SetMessagePresenter(&presenter);
    QString shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        }
    });
    EXPECT_EQ(ShowErrorMessage(200, kelvara::MB_OK, 0), kelvara::IDOK);
    kelvara::SetMessagePresenter(nullptr);
    EXPECT_EQ(shown, "Initialization failed.");
    EXPECT_EQ(icon, QMessageBox::Information);
}

} // namespace
