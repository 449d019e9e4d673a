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
#include <map>
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
    std::uint32_t dockTop = 0;     // a dock along the top with a strut this high
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
    const std::map<std::string, bool*> flags = {{"--fixed-size", &o.fixedSize}, {"--fullscreen", &o.fullscreen},
                                                {"--maximized", &o.maximized}, {"--minimized", &o.minimized}};
    const std::map<std::string, Size*> sizes = {{"--min-size", &o.minSize}, {"--increments", &o.increments}};
    const std::map<std::string, std::uint32_t*> numbers = {{"--gtk-extents", &o.gtkExtents}, {"--dock-top", &o.dockTop}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (flags.contains(arg)) {
            *flags.at(arg) = true;
            continue;
        }
        if (i + 1 >= argc) fail(arg + " needs a value");
        const char* value = argv[++i];
        if (sizes.contains(arg)) *sizes.at(arg) = parseSize(value);
        else if (numbers.contains(arg)) *numbers.at(arg) = std::strtoul(value, nullptr, 10);
        else if (arg == "--title") o.title = value;
        else if (arg != "--geometry" || std::sscanf(value, "%dx%d+%d+%d", &o.width, &o.height, &o.x, &o.y) != 4)
            fail("bad option " + arg + " " + value);
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
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, o.x, o.y, o.width, o.height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, &screen->white_pixel);
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
