// A notification area for tests under Xvfb: owns the system-tray selection of screen 0, so that
// programs see a tray, and embeds the icons docked to it in a small window of its own. Prints
// "ready" once it owns the selection and "docked <window>" for each icon. Runs until killed.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return atom;
}

} // namespace

int main()
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "faketray: cannot connect to the display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;

    const xcb_window_t tray = xcb_generate_id(connection);
    const uint32_t values[] = {screen->black_pixel, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, tray, screen->root, 0, 0, 200, 32, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_map_window(connection, tray);

    const xcb_atom_t selection = Atom(connection, "_NET_SYSTEM_TRAY_S0");
    const xcb_atom_t manager = Atom(connection, "MANAGER");
    const xcb_atom_t opcode = Atom(connection, "_NET_SYSTEM_TRAY_OPCODE");
    const xcb_atom_t orientation = Atom(connection, "_NET_SYSTEM_TRAY_ORIENTATION");
    const xcb_atom_t visual = Atom(connection, "_NET_SYSTEM_TRAY_VISUAL");
    const uint32_t horizontal = 0;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, tray, orientation, XCB_ATOM_CARDINAL, 32, 1,
                        &horizontal);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, tray, visual, XCB_ATOM_VISUALID, 32, 1,
                        &screen->root_visual);
    xcb_set_selection_owner(connection, tray, selection, XCB_CURRENT_TIME);

    xcb_client_message_event_t announce{};
    announce.response_type = XCB_CLIENT_MESSAGE;
    announce.format = 32;
    announce.window = screen->root;
    announce.type = manager;
    announce.data.data32[0] = XCB_CURRENT_TIME;
    announce.data.data32[1] = selection;
    announce.data.data32[2] = tray;
    xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&announce));
    xcb_flush(connection);
    std::printf("ready\n");
    std::fflush(stdout);

    int docked = 0;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            // Opcode 0 asks to dock the window in data32[2].
            if (message->type == opcode && message->data.data32[1] == 0) {
                const xcb_window_t icon = message->data.data32[2];
                xcb_reparent_window(connection, icon, tray, static_cast<int16_t>(docked * 24), 4);
                const uint32_t size[] = {22, 22};
                xcb_configure_window(connection, icon, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                     size);
                xcb_map_window(connection, icon);
                xcb_flush(connection);
                ++docked;
                std::printf("docked %u\n", icon);
                std::fflush(stdout);
            }
        }
        std::free(event);
    }
    xcb_disconnect(connection);
    return 0;
}
