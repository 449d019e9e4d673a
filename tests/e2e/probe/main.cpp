// corvane-probe: a real X11 client window with chosen hints, for the
// real-desktop tests. It prints its window id once the window manager has taken
// the window, then serves events until it is killed.

#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Size {
    int width = 0, height = 0;
};

struct Options {
    std::string title = "Corvane probe";
    int x = 100, y = 100, width = 400, height = 300;
    Size minSize, increments;
    bool fixedSize = false, fullscreen = false, maximized = false, minimized = false;
    bool activate = true, openWindow = true;
    std::uint32_t gtkExtents = 0;  // client-side shadow on every side, no server decorations
    std::uint32_t dockTop = 0;     // a dock along the top with a strut this high
    int xsettingsAnimations = -1;  // own XSETTINGS with Gtk/EnableAnimations
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "corvane-probe: %s\n", message.c_str());
    std::exit(2);
}

Size parseSize(const char* text) {
    Size s;
    if (std::sscanf(text, "%dx%d", &s.width, &s.height) != 2) fail(std::string("bad size ") + text);
    return s;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&] {
            if (i + 1 >= argc) fail(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--title") o.title = value();
        else if (arg == "--geometry") {
            if (std::sscanf(value(), "%dx%d+%d+%d", &o.width, &o.height, &o.x, &o.y) != 4) fail("bad geometry");
        } else if (arg == "--min-size") o.minSize = parseSize(value());
        else if (arg == "--increments") o.increments = parseSize(value());
        else if (arg == "--fixed-size") o.fixedSize = true;
        else if (arg == "--fullscreen") o.fullscreen = true;
        else if (arg == "--maximized") o.maximized = true;
        else if (arg == "--minimized") o.minimized = true;
        else if (arg == "--no-activate") o.activate = false;
        else if (arg == "--no-window") o.openWindow = false;
        else if (arg == "--gtk-extents") o.gtkExtents = std::atoi(value());
        else if (arg == "--dock-top") o.dockTop = std::atoi(value());
        else if (arg == "--xsettings-animations") o.xsettingsAnimations = std::atoi(value());
        else fail("unknown option " + arg);
    }
    return o;
}

xcb_connection_t* c = nullptr;
xcb_screen_t* screen = nullptr;

xcb_atom_t atom(const char* name) {
    auto reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    if (!reply) fail("cannot intern atoms");
    const xcb_atom_t a = reply->atom;
    std::free(reply);
    return a;
}

void set(xcb_window_t w, const char* name, const char* type, const std::vector<std::uint32_t>& values) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(name), atom(type), 32, values.size(), values.data());
}

xcb_window_t createWindow(const Options& o) {
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, o.x, o.y, o.width, o.height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      values);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, o.title.size(),
                        o.title.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, o.title.size(),
                        o.title.data());
    const char wmClass[] = "corvane-probe\0CorvaneProbe";
    xcb_icccm_set_wm_class(c, w, sizeof wmClass, wmClass);
    set(w, "_NET_WM_PID", "CARDINAL", {static_cast<std::uint32_t>(getpid())});

    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, o.x, o.y);
    xcb_icccm_size_hints_set_size(&hints, 1, o.width, o.height);
    if (o.fixedSize) xcb_icccm_size_hints_set_max_size(&hints, o.width, o.height);
    if (o.fixedSize) xcb_icccm_size_hints_set_min_size(&hints, o.width, o.height);
    if (o.minSize.width) xcb_icccm_size_hints_set_min_size(&hints, o.minSize.width, o.minSize.height);
    if (o.increments.width) xcb_icccm_size_hints_set_resize_inc(&hints, o.increments.width, o.increments.height);
    xcb_icccm_set_wm_normal_hints(c, w, &hints);
    xcb_icccm_wm_hints_t wmHints{};
    xcb_icccm_wm_hints_set_input(&wmHints, 1);
    if (o.minimized) xcb_icccm_wm_hints_set_iconic(&wmHints);
    else xcb_icccm_wm_hints_set_normal(&wmHints);
    xcb_icccm_set_wm_hints(c, w, &wmHints);

    std::vector<std::uint32_t> states;
    if (o.fullscreen) states.push_back(atom("_NET_WM_STATE_FULLSCREEN"));
    if (o.maximized) states.insert(states.end(), {atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ")});
    if (!states.empty()) set(w, "_NET_WM_STATE", "ATOM", states);
    if (o.dockTop > 0) {
        set(w, "_NET_WM_WINDOW_TYPE", "ATOM", {atom("_NET_WM_WINDOW_TYPE_DOCK")});
        const std::uint32_t x = o.x, endX = o.x + o.width - 1;
        set(w, "_NET_WM_STRUT_PARTIAL", "CARDINAL", {0, 0, o.dockTop, 0, 0, 0, 0, 0, x, endX, 0, 0});
    }
    if (o.gtkExtents > 0) {
        const std::uint32_t e = o.gtkExtents;
        set(w, "_GTK_FRAME_EXTENTS", "CARDINAL", {e, e, e, e});
        set(w, "_MOTIF_WM_HINTS", "_MOTIF_WM_HINTS", {2, 0, 0, 0, 0});  // no decorations
    }
    return w;
}

bool hasProperty(xcb_window_t w, xcb_atom_t property) {
    auto reply = xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4),
                                        nullptr);
    const bool present = reply && reply->type != XCB_NONE;
    std::free(reply);
    return present;
}

// The window manager sets WM_STATE when it takes a window over; without one
// the window is ready once it is mapped (or at once when it starts iconic).
void waitUntilManaged(xcb_window_t w, bool iconic) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    bool mapped = iconic;
    while (std::chrono::steady_clock::now() < deadline && !hasProperty(w, atom("WM_STATE"))) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            mapped = mapped || (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            std::free(event);
        }
        if (xcb_connection_has_error(c)) std::exit(1);
        if (mapped && !hasProperty(screen->root, atom("_NET_SUPPORTING_WM_CHECK"))) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Source 2 (a tool acting for the user): window managers honour it at once.
void activate(xcb_window_t w) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = w;
    event.type = atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

// An XSETTINGS manager holding one integer setting, in the little-endian wire format.
xcb_window_t becomeXSettingsManager(std::uint32_t enableAnimations) {
    const xcb_window_t owner = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, owner, screen->root, -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string name = "Gtk/EnableAnimations";  // 20 bytes: no padding
    std::vector<std::uint8_t> d = {0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, std::uint8_t(name.size()), 0};
    d.insert(d.end(), name.begin(), name.end());
    for (std::uint32_t v : {0u, enableAnimations})  // last-change serial, value
        for (int i = 0; i < 4; ++i) d.push_back((v >> (8 * i)) & 0xff);
    const xcb_atom_t settings = atom("_XSETTINGS_SETTINGS");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, owner, settings, settings, 8, d.size(), d.data());
    xcb_set_selection_owner(c, owner, atom("_XSETTINGS_S0"), XCB_CURRENT_TIME);
    return owner;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) fail("cannot open the display");
    screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_window_t printed = XCB_NONE;
    if (options.xsettingsAnimations >= 0) printed = becomeXSettingsManager(options.xsettingsAnimations);
    if (options.openWindow) {
        printed = createWindow(options);
        xcb_map_window(c, printed);
        xcb_flush(c);
        waitUntilManaged(printed, options.minimized);
        if (options.activate && !options.minimized && options.dockTop == 0) activate(printed);
    }
    xcb_flush(c);
    std::printf("0x%08x\n", printed);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) std::free(event);
    xcb_disconnect(c);
    return 0;
}
