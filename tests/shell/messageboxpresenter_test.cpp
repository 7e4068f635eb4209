#include "shell/messageboxpresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Seen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Presents a message and answers it by clicking the button whose text is `answer`.
int PresentAndAnswer(const std::string& text, unsigned type, const QString& answer, Seen& seen)
{
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            seen.buttons << button->text().remove(QLatin1Char('&'));
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove(QLatin1Char('&')) == answer)
                button->click();
    });
    kelvara::MessageBoxPresenter presenter;
    return presenter.Present(text, type);
}

TEST(MessageBoxPresenter, TitleTextIconButtonsAndAnswers)
{
    Seen seen;
    EXPECT_EQ(PresentAndAnswer("Initialization failed.", kelvara::MB_ICONERROR, QStringLiteral("OK"), seen),
              kelvara::IDOK);
    EXPECT_EQ(seen.title, QStringLiteral("Kelvara"));
    EXPECT_EQ(seen.text, QStringLiteral("Initialization failed."));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QStringList({"OK"}));

    Seen question;
    EXPECT_EQ(PresentAndAnswer("Download it now?", kelvara::MB_YESNO | kelvara::MB_ICONQUESTION, QStringLiteral("No"),
                               question),
              kelvara::IDNO);
    EXPECT_EQ(question.icon, QMessageBox::Question);
    EXPECT_EQ(question.buttons.size(), 2);

    Seen yes;
    EXPECT_EQ(PresentAndAnswer("Sure?", kelvara::MB_YESNOCANCEL, QStringLiteral("Yes"), yes), kelvara::IDYES);
    Seen cancel;
    EXPECT_EQ(PresentAndAnswer("Go on?", kelvara::MB_OKCANCEL | kelvara::MB_ICONWARNING, QStringLiteral("Cancel"),
                               cancel),
              kelvara::IDCANCEL);
    EXPECT_EQ(cancel.icon, QMessageBox::Warning);
}

} // namespace
