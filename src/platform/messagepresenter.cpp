#include "platform/messagepresenter.h"

namespace kelvara {

namespace {
MessagePresenter* g_presenter = nullptr;
}

void SetMessagePresenter(MessagePresenter* presenter)
{
    g_presenter = presenter;
}

MessagePresenter* GetMessagePresenter()
{
    return g_presenter;
}

int PresentMessage(const std::string& text, unsigned type)
{
    if (g_presenter)
        return g_presenter->Present(text, type);
    const unsigned buttons = type & MB_TYPEMASK;
    return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDNO : IDOK;
}

} // namespace kelvara
