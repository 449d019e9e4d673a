// corvane-probe: a real X11 client for the real-desktop tests, standing in for
// another application. It opens a window with the given geometry, title and
// 32-bit properties (size hints, states and the like, as the harness chooses
// them), prints the window's id once it is mapped, and stays until it is killed.
// A property given without values is left off the window: "WM_CLASS STRING ''"
// makes a window that does not name its class.
//
// With --late MS the window takes a new size late, as an application busy
// elsewhere does: whenever someone else resizes it, it puts its old size back
// at once and takes the new one only MS milliseconds later.
//
//   corvane-probe [--late MS] WxH+X+Y TITLE [PROPERTY TYPE VALUE,VALUE,...]...

#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The size the window holds, and the one it will take late.
struct LateSize {
    std::chrono::milliseconds delay{0};
    int width = 0, height = 0;
    bool pending = false;
    int nextWidth = 0, nextHeight = 0;
    Clock::time_point due{};
};

void resize(xcb_connection_t* c, xcb_window_t w, int width, int height) {
    const std::uint32_t size[] = {std::uint32_t(width), std::uint32_t(height)};
    xcb_configure_window(c, w, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(c);
}

// A size the window did not ask for is put back and remembered for later.
void sizeChanged(xcb_connection_t* c, xcb_window_t w, LateSize& late, int width, int height) {
    if (width == late.width && height == late.height) return;
    late.pending = true;
    late.nextWidth = width, late.nextHeight = height;
    late.due = Clock::now() + late.delay;
    resize(c, w, late.width, late.height);
}

// Handles events until the connection ends, taking late sizes when they are due.
void runLate(xcb_connection_t* c, xcb_window_t w, LateSize& late) {
    while (!xcb_connection_has_error(c)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & ~0x80) == XCB_CONFIGURE_NOTIFY) {
                const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                if (e->window == w && !(event->response_type & 0x80))
                    sizeChanged(c, w, late, e->width, e->height);
            }
            std::free(event);
        }
        int timeout = -1;
        if (late.pending) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(late.due - Clock::now()).count();
            if (left <= 0) {
                late.pending = false;
                late.width = late.nextWidth, late.height = late.nextHeight;
                resize(c, w, late.width, late.height);
                continue;
            }
            timeout = static_cast<int>(left);
        }
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, timeout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    LateSize late;
    if (argc > 2 && std::strcmp(argv[1], "--late") == 0) {
        late.delay = std::chrono::milliseconds(std::atoi(argv[2]));
        argv[2] = argv[0];
        argv += 2, argc -= 2;
    }
    int x = 0, y = 0, width = 0, height = 0;
    if (argc < 3 || argc % 3 != 0 ||
        std::sscanf(argv[1], "%dx%d+%d+%d", &width, &height, &x, &y) != 4) {
        std::fprintf(stderr,
                     "usage: corvane-probe [--late MS] WxH+X+Y TITLE [PROPERTY TYPE V,V,...]...\n");
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
    const std::uint32_t attributes[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, std::int16_t(x), std::int16_t(y),
                      width, height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, attributes);
    late.width = width, late.height = height;
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
    if (late.delay.count() > 0) runLate(c, w, late);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) std::free(event);
    xcb_disconnect(c);
    return 0;
}
