// Asks the compositor for an activation token, as a launcher does for what it starts, and prints it.
// libwayland-client without its development files: the protocol is declared here by hand.
#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" {
struct wl_interface;
struct wl_message {
    const char* name;
    const char* signature;
    const wl_interface** types;
};
struct wl_interface {
    const char* name;
    int version;
    int method_count;
    const wl_message* methods;
    int event_count;
    const wl_message* events;
};
struct wl_proxy;
struct wl_display;
wl_display* wl_display_connect(const char* name);
void wl_display_disconnect(wl_display* display);
int wl_display_roundtrip(wl_display* display);
int wl_display_dispatch(wl_display* display);
wl_proxy* wl_proxy_marshal_flags(wl_proxy* proxy, uint32_t opcode, const wl_interface* interface,
                                 uint32_t version, uint32_t flags, ...);
int wl_proxy_add_listener(wl_proxy* proxy, void (**implementation)(void), void* data);
extern const wl_interface wl_registry_interface;
extern const wl_interface wl_surface_interface;
extern const wl_interface wl_seat_interface;
}

namespace {

extern const wl_interface kTokenInterface;
const wl_interface* kNoTypes[] = {nullptr, nullptr};
const wl_interface* kNewToken[] = {&kTokenInterface};
const wl_interface* kActivateTypes[] = {nullptr, &wl_surface_interface};
const wl_interface* kSerialTypes[] = {nullptr, &wl_seat_interface};
const wl_interface* kSurfaceTypes[] = {&wl_surface_interface};
const wl_message kActivationRequests[] = {
    {"destroy", "", kNoTypes}, {"get_activation_token", "n", kNewToken}, {"activate", "so", kActivateTypes}};
const wl_interface kActivationInterface = {"xdg_activation_v1", 1, 3, kActivationRequests, 0, nullptr};
const wl_message kTokenRequests[] = {{"set_serial", "uo", kSerialTypes},
                                     {"set_app_id", "s", kNoTypes},
                                     {"set_surface", "o", kSurfaceTypes},
                                     {"commit", "", kNoTypes},
                                     {"destroy", "", kNoTypes}};
const wl_message kTokenEvents[] = {{"done", "s", kNoTypes}};
const wl_interface kTokenInterface = {"xdg_activation_token_v1", 1, 5, kTokenRequests, 1, kTokenEvents};

wl_proxy* g_activation = nullptr;
bool g_done = false;

void Global(void* data, wl_proxy* registry, uint32_t name, const char* interface, uint32_t /*version*/)
{
    (void)data;
    if (std::strcmp(interface, "xdg_activation_v1") == 0)
        g_activation = wl_proxy_marshal_flags(registry, 0, &kActivationInterface, 1, 0, name,
                                              kActivationInterface.name, 1u, nullptr);
}
void GlobalRemove(void*, wl_proxy*, uint32_t)
{
}
void Done(void*, wl_proxy*, const char* token)
{
    std::printf("%s\n", token);
    g_done = true;
}

} // namespace

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return 1;
    wl_proxy* registry = wl_proxy_marshal_flags(reinterpret_cast<wl_proxy*>(display), 1,
                                                &wl_registry_interface, 1, 0, nullptr);
    void (*registryListener[])(void) = {reinterpret_cast<void (*)(void)>(&Global),
                                        reinterpret_cast<void (*)(void)>(&GlobalRemove)};
    wl_proxy_add_listener(registry, registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!g_activation)
        return 2;
    wl_proxy* token = wl_proxy_marshal_flags(g_activation, 1, &kTokenInterface, 1, 0, nullptr);
    void (*tokenListener[])(void) = {reinterpret_cast<void (*)(void)>(&Done)};
    wl_proxy_add_listener(token, tokenListener, nullptr);
    wl_proxy_marshal_flags(token, 3, nullptr, 1, 0);
    while (!g_done && wl_display_dispatch(display) >= 0) {
    }
    wl_display_disconnect(display);
    return g_done ? 0 : 3;
}
