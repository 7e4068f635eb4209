#include "page/numberedit.h"

#include "catalogue/conversioncore.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QValidator>

#include <algorithm>
#include <iterator>

namespace {

// Shows every letter in upper case, as the core reads it. It never refuses text: which characters may be
// typed is decided on key presses, and pasted or programmatic text is always taken.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = QString::fromStdString(kelvara::ConversionCore::UpperCased(input.toStdString()));
        return Acceptable;
    }
};

// Characters a keyboard types in place of a regional separator it has no key for: a space for a
// no-break space, an apostrophe for the typographic one.
struct Stand {
    char32_t typed;
    char32_t separator;
};
constexpr Stand kStandIns[] = {
    {U' ', U'\u00A0'}, {U' ', U'\u202F'}, {U' ', U'\u2007'}, {U'\'', U'\u2019'}, {U'\'', U'\u02BC'},
};

bool IsControl(char32_t c)
{
    return c < 32 || c == 127;
}

} // namespace

CNumberEdit::CNumberEdit(QWidget* parent) : QLineEdit(parent)
{
}

CNumberEdit::~CNumberEdit() = default;

void CNumberEdit::SetValidChars(const std::string& chars)
{
    m_validChars = chars;
    m_admitted = QString::fromStdString(m_validChars).toStdU32String();
}

void CNumberEdit::SetUpperCase(bool on)
{
    if (on == IsUpperCase())
        return;
    if (on) {
        m_upperCaseValidator = new UpperCaseValidator(this);
        setValidator(m_upperCaseValidator);
        setText(text());
    } else {
        setValidator(nullptr);
        delete m_upperCaseValidator;
        m_upperCaseValidator = nullptr;
    }
}

bool CNumberEdit::Admits(char32_t c) const
{
    return m_admitted.find(c) != std::u32string::npos;
}

bool CNumberEdit::FilterTyped(const QString& typed, QString& insert) const
{
    std::u32string out;
    for (const char32_t c : typed.toStdU32String()) {
        if (IsControl(c)) {
            out += c;
            continue;
        }
        // The capitals the core reads: ASCII letters only.
        char32_t tested = c;
        if (m_caseInsensitive && c >= U'a' && c <= U'z')
            tested = c - U'a' + U'A';
        if (Admits(tested)) {
            // The field takes the character as typed; the upper-case form only served the test.
            out += c;
            continue;
        }
        const auto stand = std::find_if(std::begin(kStandIns), std::end(kStandIns),
                                        [&](const Stand& s) { return s.typed == c && Admits(s.separator); });
        if (stand == std::end(kStandIns))
            return false;
        out += stand->separator;
    }
    insert = QString::fromStdU32String(out);
    if (IsUpperCase())
        insert = QString::fromStdString(kelvara::ConversionCore::UpperCased(insert.toStdString()));
    return true;
}

void CNumberEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Shortcuts (Ctrl+C, Ctrl+V, ...) and keys that type nothing (arrows, Home, End, Backspace's
    // and Enter's control characters) go to the field unfiltered. AltGr typing is not a shortcut.
    const bool shortcut =
        (modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier);
    if (typed.isEmpty() || shortcut ||
        std::all_of(typed.begin(), typed.end(), [](QChar c) { return IsControl(c.unicode()); })) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QString insert;
    if (!FilterTyped(typed, insert)) {
        // Swallowed silently: no sound, and the key goes nowhere else either.
        event->accept();
        return;
    }
    if (insert == typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent replaced(event->type(), event->key(), modifiers, event->nativeScanCode(),
                       event->nativeVirtualKey(), event->nativeModifiers(), insert, event->isAutoRepeat(),
                       static_cast<quint16>(event->count()));
    QLineEdit::keyPressEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}

void CNumberEdit::inputMethodEvent(QInputMethodEvent* event)
{
    // Composed characters (dead keys, input methods) arrive here instead of as key presses.
    const QString typed = event->commitString();
    if (typed.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QString insert;
    if (!FilterTyped(typed, insert))
        insert.clear();
    QInputMethodEvent replaced(event->preeditString(), event->attributes());
    replaced.setCommitString(insert, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}
