#include "page/numberedit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <ostream>

// Readable QStrings in failure messages.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Records the keys that reach the parent, to see that swallowed ones go nowhere.
class KeyRecorder : public QWidget {
public:
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        ++keys;
        event->accept();
    }
};

class NumberEdit : public testing::Test {
protected:
    // Types `text` one character at a time, as a keyboard would.
    static void Type(CNumberEdit& edit, const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&edit, &press);
        }
    }
};

// Which characters a value takes is the conversion core's to say (ConversionCore tests); the
// field admits what it is told and nothing before.
TEST_F(NumberEdit, TheFieldAdmitsWhatItIsToldAndNothingBefore)
{
    CNumberEdit edit;
    Type(edit, "12");
    EXPECT_EQ(edit.text(), "");
    edit.SetValidChars("0123456789,.()");
    Type(edit, "(1-2,5)");
    EXPECT_EQ(edit.text(), "(12,5)");
    // A unit's own list replaces everything.
    edit.clear();
    edit.SetValidChars("01");
    Type(edit, "012,3-10");
    EXPECT_EQ(edit.text(), "0110");
}

TEST_F(NumberEdit, CaseInsensitiveFilterTestsTheUpperCaseButInsertsAsTyped)
{
    CNumberEdit edit;
    edit.SetValidChars("0123456789ABCDEF");
    Type(edit, "a");
    EXPECT_EQ(edit.text(), "");
    edit.SetCaseInsensitive(true);
    Type(edit, "fAg1");
    EXPECT_EQ(edit.text(), "fA1");
}

TEST_F(NumberEdit, UpperCaseStyleShowsLettersInUpperCaseHoweverTheyCome)
{
    CNumberEdit edit;
    edit.SetValidChars("0123456789ABCDEF");
    edit.SetCaseInsensitive(true);
    edit.SetUpperCase(true);
    Type(edit, "ff1");
    EXPECT_EQ(edit.text(), "FF1");
    // Typing keeps its undo history (a case change by the field would have cleared it).
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "");

    edit.clear();
    QApplication::clipboard()->setText("c0de");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "C0DE");
    edit.setText("beef");
    EXPECT_EQ(edit.text(), "BEEF");

    edit.SetUpperCase(false);
    edit.setText("beef");
    EXPECT_EQ(edit.text(), "beef");
}

TEST_F(NumberEdit, ControlKeysShortcutsAndPasteAlwaysWork)
{
    CNumberEdit edit;
    edit.SetValidChars("01");
    Type(edit, "101");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "10");
    QTest::keyClick(&edit, Qt::Key_Home);
    Type(edit, "1");
    EXPECT_EQ(edit.text(), "110");
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Left);
    Type(edit, "0");
    EXPECT_EQ(edit.text(), "1100");

    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "1100");
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "");
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "1100");

    // Pasting is never filtered: what the clipboard holds goes in, and the unit reads what it can.
    edit.clear();
    QApplication::clipboard()->setText("12 kg");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "12 kg");
}

TEST_F(NumberEdit, SwallowedCharactersGoNowhere)
{
    KeyRecorder parent;
    auto* edit = new CNumberEdit(&parent);
    edit->SetValidChars("01");
    Type(*edit, "x");
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(parent.keys, 0);
}

TEST_F(NumberEdit, RegionalSeparatorsWithoutAKeyCanBeTyped)
{
    CNumberEdit edit;
    edit.SetValidChars("0123456789,\u202F-");
    Type(edit, "1 234,5");
    EXPECT_EQ(edit.text(), QString::fromUtf8("1\u202F234,5"));

    edit.clear();
    edit.SetValidChars("0123456789.\u2019-");
    Type(edit, QString::fromUtf8("1\u2019234'5 é"));
    EXPECT_EQ(edit.text(), QString::fromUtf8("1\u2019234\u20195"));
}

TEST_F(NumberEdit, ComposedCharactersAreFilteredToo)
{
    CNumberEdit edit;
    edit.SetValidChars("01");
    QInputMethodEvent rejected;
    rejected.setCommitString("é");
    QApplication::sendEvent(&edit, &rejected);
    QInputMethodEvent admitted;
    admitted.setCommitString("1");
    QApplication::sendEvent(&edit, &admitted);
    EXPECT_EQ(edit.text(), "1");
}

} // namespace
