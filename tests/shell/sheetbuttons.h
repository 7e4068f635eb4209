#pragma once

#include <QDialogButtonBox>
#include <QPushButton>
#include <QWidget>

namespace kelvara::test {

// A button of the window's button row by its role (OK: AcceptRole, Cancel: RejectRole, Apply:
// ApplyRole), found as the user finds it; null when the row has none.
inline QPushButton* RowButton(const QWidget& window, QDialogButtonBox::ButtonRole role)
{
    const auto* row = window.findChild<QDialogButtonBox*>();
    if (!row)
        return nullptr;
    for (QAbstractButton* button : row->buttons())
        if (row->buttonRole(button) == role)
            return qobject_cast<QPushButton*>(button);
    return nullptr;
}

} // namespace kelvara::test
