#include "online/webaccess.h"

#include "platform/module.h"
#include "platform/programpath.h"
#include "text/formattext.h"
#include "text/strings.h"

namespace kelvara {

namespace {

struct Loaded {
    const WebAccess* access = nullptr;
    std::string modulePath;
    std::string failure;
    bool tried = false;
};

Loaded& State()
{
    static Loaded state;
    return state;
}

} // namespace

void SetWebAccess(const WebAccess* access)
{
    State().access = access;
}

void SetWebModulePath(const std::string& path)
{
    // Only before the layer is in use: a loaded module stays.
    Loaded& state = State();
    state.modulePath = path;
    if (!state.access) {
        state.tried = false;
        state.failure.clear();
    }
}

const WebAccess* GetWebAccess(std::string* why)
{
    Loaded& state = State();
    if (!state.access && !state.tried) {
        state.tried = true;
        const std::string path =
            state.modulePath.empty() ? ProgramDirectory() + "/" KELVARA_WEB_MODULE : state.modulePath;
        if (auto entry =
                reinterpret_cast<KelvaraWebAccessEntry>(ModuleEntry(path, kWebModuleEntry, state.failure)))
            state.access = entry();
        if (!state.access && state.failure.empty())
            state.failure = LoadString(IDS_WEB_MODULE_EMPTY);
    }
    if (!state.access && why)
        *why = FormatText(LoadString(IDS_WEB_MODULE_FAILED), {state.failure});
    return state.access;
}

QUrl RedirectTarget(const WebAccess& web, const QIODevice* reply, const QUrl& current)
{
    const int status = web.httpStatus(reply);
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
        return {};
    const QUrl location = web.redirectLocation(reply);
    return location.isEmpty() ? QUrl() : current.resolved(location);
}

} // namespace kelvara
