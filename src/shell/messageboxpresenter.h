#pragma once

#include "platform/messagepresenter.h"

class QWidget;

namespace kelvara {

// Shows the program's messages in message boxes titled with the program's name, over the active
// window (or `parent` when none is active).
class MessageBoxPresenter : public MessagePresenter {
public:
    explicit MessageBoxPresenter(QWidget* parent = nullptr) : m_parent(parent) {}
    int Present(const std::string& text, unsigned type) override;
    void SetParent(QWidget* parent) { m_parent = parent; }

private:
    QWidget* m_parent;
};

} // namespace kelvara
