// corvane-probe: a real X11 client window with chosen hints, for the
// real-desktop tests. It prints its window id once the window is mapped, then
// stays until it is killed.

#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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
    std::uint32_t gtkExtents = 0;  // client-side shadow on every side, no server decorations
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "corvane-probe: %s\n", message.c_str());
    std::exit(2);
}

// Every option takes a value: --title T, --geometry WxH+X+Y, --min-size WxH,
// --increments WxH, --gtk-extents N, --fixed-size 1, --fullscreen 1, --maximized 1, --minimized 1.
Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* v = argv[i + 1];
        if (arg == "--title") o.title = v;
        if (arg == "--geometry") std::sscanf(v, "%dx%d+%d+%d", &o.width, &o.height, &o.x, &o.y);
        if (arg == "--min-size") std::sscanf(v, "%dx%d", &o.minSize.width, &o.minSize.height);
        if (arg == "--increments")
            std::sscanf(v, "%dx%d", &o.increments.width, &o.increments.height);
        if (arg == "--gtk-extents") o.gtkExtents = std::atoi(v);
        if (arg == "--fixed-size") o.fixedSize = std::atoi(v);
        if (arg == "--fullscreen") o.fullscreen = std::atoi(v);
        if (arg == "--maximized") o.maximized = std::atoi(v);
        if (arg == "--minimized") o.minimized = std::atoi(v);
    }
    if (argc % 2 == 0) fail(std::string("an option without a value: ") + argv[argc - 1]);
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

void set(xcb_window_t w, const char* name, const char* type,
         const std::vector<std::uint32_t>& values) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(name), atom(type), 32, values.size(),
                        values.data());
}

xcb_window_t createWindow(const Options& o) {
    const xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, o.x, o.y, o.width, o.height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      &screen->white_pixel);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        o.title.size(), o.title.data());
    const char wmClass[] = "corvane-probe\0CorvaneProbe";
    xcb_icccm_set_wm_class(c, w, sizeof wmClass, wmClass);
    set(w, "_NET_WM_PID", "CARDINAL", {static_cast<std::uint32_t>(getpid())});

    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, o.x, o.y);
    xcb_icccm_size_hints_set_size(&hints, 1, o.width, o.height);
    if (o.fixedSize) xcb_icccm_size_hints_set_max_size(&hints, o.width, o.height);
    if (o.fixedSize) xcb_icccm_size_hints_set_min_size(&hints, o.width, o.height);
    if (o.minSize.width)
        xcb_icccm_size_hints_set_min_size(&hints, o.minSize.width, o.minSize.height);
    if (o.increments.width)
        xcb_icccm_size_hints_set_resize_inc(&hints, o.increments.width, o.increments.height);
    xcb_icccm_set_wm_normal_hints(c, w, &hints);
    xcb_icccm_wm_hints_t wmHints{};
    xcb_icccm_wm_hints_set_iconic(&wmHints);
    if (o.minimized) xcb_icccm_set_wm_hints(c, w, &wmHints);

    std::vector<std::uint32_t> states;
    if (o.fullscreen) states.push_back(atom("_NET_WM_STATE_FULLSCREEN"));
    if (o.maximized)
        states.insert(states.end(),
                      {atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ")});
    if (!states.empty()) set(w, "_NET_WM_STATE", "ATOM", states);
    if (o.gtkExtents > 0) {
        const std::uint32_t e = o.gtkExtents;
        set(w, "_GTK_FRAME_EXTENTS", "CARDINAL", {e, e, e, e});
        set(w, "_MOTIF_WM_HINTS", "_MOTIF_WM_HINTS", {2, 0, 0, 0, 0});  // no decorations
    }
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) fail("cannot open the display");
    screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = createWindow(options);
    xcb_map_window(c, window);
    xcb_flush(c);
    std::printf("0x%08x\n", window);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) std::free(event);
    xcb_disconnect(c);
    return 0;
}
