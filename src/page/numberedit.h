#pragma once

#include <QLineEdit>

#include <string>

// The value fields: a single-line field that admits only listed characters when typed and converts
// between regional and neutral notation when its value is read or written.
class CNumberEdit : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNumberEdit)

public:
    explicit CNumberEdit(QWidget* parent = nullptr);

    // Replaces the admitted characters; an empty list gives the digits plus the number characters
    // of the current modes.
    void SetValidChars(const std::string& chars);
    // The text in neutral notation.
    std::string GetValueText() const;
    // Shows neutral `text`, in regional notation when regional mode is on.
    void SetValueText(const std::string& text);

    void SetCurrencyMode(bool on) { m_currencyMode = on; }
    bool IsCurrencyMode() const { return m_currencyMode; }
    void SetRegionalMode(bool on) { m_regionalMode = on; }
    bool IsRegionalMode() const { return m_regionalMode; }
    // A typed lower-case letter is tested in its upper-case form.
    void SetCaseInsensitive(bool on) { m_caseInsensitive = on; }
    // Typed letters appear in upper case.
    void SetUpperCase(bool on) { m_upperCase = on; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::string m_validChars;
    bool m_currencyMode = false;
    bool m_regionalMode = true;
    bool m_caseInsensitive = false;
    bool m_upperCase = false;
};
