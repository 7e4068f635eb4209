#pragma once

#include <QLineEdit>

#include <string>

class QValidator;

// A single-line field for values: typing admits only the listed characters (control keys,
// shortcuts and pasting always work), which the conversion core names for the source unit and
// notation chosen; letters may be shown in capitals, as the core reads them.
class CNumberEdit : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNumberEdit)

public:
    explicit CNumberEdit(QWidget* parent = nullptr);
    ~CNumberEdit() override;

    // Replaces the admitted characters (none before the first call).
    void SetValidChars(const std::string& chars);
    const std::string& GetValidChars() const { return m_validChars; }

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
    bool m_caseInsensitive = false;
    QValidator* m_upperCaseValidator = nullptr;
};
