#pragma once

#include <QLineEdit>

#include <string>

class QValidator;

// A single-line field for values: typing admits only the listed characters (control keys,
// shortcuts and pasting always work), and the text is read and written in neutral notation,
// converted from and to the user's regional notation while regional mode is on.
class CNumberEdit : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNumberEdit)

public:
    explicit CNumberEdit(QWidget* parent = nullptr);
    ~CNumberEdit() override;

    // Replaces the admitted characters. An empty list admits the digits plus the number
    // characters of the current mode and locale, computed now; a later change of mode or locale
    // takes effect at the next call.
    void SetValidChars(const std::string& chars);
    const std::string& GetValidChars() const { return m_validChars; }

    // The text in neutral notation.
    std::string GetValueText() const;
    // Shows neutral `text`, in regional notation while regional mode is on.
    void SetValueText(const std::string& text);

    // Monetary instead of number items for the regional conversions.
    void SetCurrencyMode(bool on) { m_currency = on; }
    bool IsCurrencyMode() const { return m_currency; }
    // Converts between regional and neutral notation (on by default).
    void SetRegionalMode(bool on) { m_regional = on; }
    bool IsRegionalMode() const { return m_regional; }
    // A typed lower-case letter is admitted when its upper-case form is.
    void SetCaseInsensitive(bool on) { m_caseInsensitive = on; }
    bool IsCaseInsensitive() const { return m_caseInsensitive; }
    // Letters appear in upper case, typed, pasted or set.
    void SetUpperCase(bool on);
    bool IsUpperCase() const { return m_upperCaseValidator != nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // The typed text as it should be inserted, or false when a character of it is not admitted.
    bool FilterTyped(const QString& typed, QString& insert) const;
    bool Admits(char32_t c) const;

    std::string m_validChars;
    std::u32string m_admitted;
    bool m_currency = false;
    bool m_regional = true;
    bool m_caseInsensitive = false;
    QValidator* m_upperCaseValidator = nullptr;
};
