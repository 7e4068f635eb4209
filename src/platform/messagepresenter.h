#pragma once

#include <string>

namespace kelvara {

// Message-box types: buttons in the low nibble, icon in 0xF0, the values of the system's message
// box, so that codes stay comparable across platforms.
enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0,
    MB_TYPEMASK = 0x0F,
};

// Buttons a message box returns.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Shows a message to the user and returns the button pressed. The program installs one that opens
// a real message box; tests install one that records the messages.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual int Present(const std::string& text, unsigned type) = 0;
};

// Installs `presenter` (not owned; null: messages are dropped and answered with IDOK, or IDNO for
// a yes/no question, so that nothing destructive happens unasked).
void SetMessagePresenter(MessagePresenter* presenter);
MessagePresenter* GetMessagePresenter();
int PresentMessage(const std::string& text, unsigned type);

} // namespace kelvara
