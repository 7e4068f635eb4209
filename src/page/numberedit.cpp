#include "page/numberedit.h"

#include "page/regional.h"

#include <QKeyEvent>

CNumberEdit::CNumberEdit(QWidget* parent) : QLineEdit(parent)
{
    SetValidChars({});
}

void CNumberEdit::SetValidChars(const std::string& chars)
{
    if (!chars.empty())
        m_validChars = chars;
    else if (!m_regionalMode)
        m_validChars = "0123456789.-";
    else
        m_validChars =
            "0123456789" + (m_currencyMode ? GetRegionalCurrencyChars() : GetRegionalNumberChars());
}

std::string CNumberEdit::GetValueText() const
{
    const std::string shown = text().toStdString();
    if (!m_regionalMode)
        return shown;
    return m_currencyMode ? FromRegionalCurrency(shown) : FromRegionalNumber(shown);
}

void CNumberEdit::SetValueText(const std::string& value)
{
    const std::string shown =
        !m_regionalMode ? value : (m_currencyMode ? ToRegionalCurrency(value) : ToRegionalNumber(value));
    setText(QString::fromStdString(shown));
}

void CNumberEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (typed.isEmpty() || shortcut || typed.at(0).unicode() < 32 || typed.at(0).unicode() == 127) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString tested = m_caseInsensitive ? typed.toUpper() : typed;
    const QString admitted = QString::fromStdString(m_validChars);
    for (const QChar c : tested) {
        if (!admitted.contains(c))
            return; // swallowed silently
    }
    if (m_upperCase && typed != typed.toUpper()) {
        QKeyEvent upper(event->type(), event->key(), event->modifiers(), typed.toUpper(),
                        event->isAutoRepeat(), static_cast<ushort>(event->count()));
        QLineEdit::keyPressEvent(&upper);
        return;
    }
    QLineEdit::keyPressEvent(event);
}
