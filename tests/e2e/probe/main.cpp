// corvane-probe: a real X11 client for the real-desktop tests, standing in for
// another application. It opens a window with the given geometry, title and
// 32-bit properties (size hints, states and the like, as the harness chooses
// them), prints the window's id once it is mapped, and stays until it is killed.
// A property given without values is left off the window: "WM_CLASS STRING ''"
// makes a window that does not name its class.
//
//   corvane-probe WxH+X+Y TITLE [PROPERTY TYPE VALUE,VALUE,...]...

#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    int x = 0, y = 0, width = 0, height = 0;
    if (argc < 3 || argc % 3 != 0 ||
        std::sscanf(argv[1], "%dx%d+%d+%d", &width, &height, &x, &y) != 4) {
        std::fprintf(stderr, "usage: corvane-probe WxH+X+Y TITLE [PROPERTY TYPE V,V,...]...\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    auto atom = [&](const char* name) {
        auto reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return result;
    };
    auto set = [&](xcb_window_t w, const char* name, const char* type, int format,
                   std::size_t count, const void* data) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(name), atom(type), format, count,
                            data);
    };
    const xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, std::int16_t(x), std::int16_t(y),
                      width, height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL, &screen->white_pixel);
    set(w, "_NET_WM_NAME", "UTF8_STRING", 8, std::strlen(argv[2]), argv[2]);
    const char wmClass[] = "corvane-probe\0CorvaneProbe";
    set(w, "WM_CLASS", "STRING", 8, sizeof wmClass, wmClass);
    const std::uint32_t pid = getpid();
    set(w, "_NET_WM_PID", "CARDINAL", 32, 1, &pid);
    for (int i = 3; i + 2 < argc; i += 3) {
        std::vector<std::uint32_t> values;
        std::istringstream list(argv[i + 2]);
        for (std::string value; std::getline(list, value, ',');)
            values.push_back(std::stoul(value));
        if (values.empty())
            xcb_delete_property(c, w, atom(argv[i]));
        else
            set(w, argv[i], argv[i + 1], 32, values.size(), values.data());
    }
    xcb_map_window(c, w);
    xcb_flush(c);
    std::printf("0x%08x\n", w);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) std::free(event);
    xcb_disconnect(c);
    return 0;
}
