#pragma once

#include "platform/messagepresenter.h"

#include <memory>
#include <string>

class QMessageBox;
class QWidget;

namespace kelvara {

// Shows messages in a modal QMessageBox titled with the program's name, with the icon and the
// buttons of the message-box type; answers the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
class QtMessagePresenter : public MessagePresenter {
public:
    int Present(const std::string& text, unsigned type) override;

    // The box Present shows, not yet shown, for `parent` (null: a box of its own).
    static std::unique_ptr<QMessageBox> CreateBox(const std::string& text, unsigned type, QWidget* parent);
    // The answer for the button that closed `box`.
    static int Answer(const QMessageBox& box, unsigned type);
};

} // namespace kelvara
