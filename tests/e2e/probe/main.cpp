// corvane-probe: a real X11 client window with chosen hints, for the
// real-desktop tests. It prints its window id once the window manager has taken
// the window, then serves events until it is killed or closed.

#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Size {
    int width = 0;
    int height = 0;
};

struct Options {
    std::string title = "Corvane probe";
    bool legacyTitle = false;  // WM_NAME only, no _NET_WM_NAME
    std::string wmClass = "CorvaneProbe";
    bool setPid = true;
    int x = 100, y = 100, width = 400, height = 300;
    std::optional<Size> minSize, maxSize, increments, baseSize;
    bool fixedSize = false;
    bool fullscreen = false;
    bool maximized = false;
    bool minimized = false;
    int gtkExtents = 0;  // client-side shadow on every side, no server decorations
    int dockTop = 0;     // a dock along the top with a strut this high
    int panelBottom = 0; // an unmanaged panel along the bottom with an old-style strut
    bool activate = true;
    bool openWindow = true;
    std::optional<int> xsettingsAnimations;  // own XSETTINGS with Gtk/EnableAnimations
};

const char* const usage =
    "usage: corvane-probe [--title T] [--legacy-title] [--class C] [--no-pid]\n"
    "  [--geometry WxH+X+Y] [--min-size WxH] [--max-size WxH] [--fixed-size]\n"
    "  [--increments WxH] [--base-size WxH] [--fullscreen] [--maximized] [--minimized]\n"
    "  [--gtk-extents N] [--dock-top N] [--panel-bottom N] [--no-activate]\n"
    "  [--xsettings-animations N] [--no-window]\n";

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "corvane-probe: %s\n%s", message.c_str(), usage);
    std::exit(2);
}

Size parseSize(const std::string& text) {
    Size s;
    if (std::sscanf(text.c_str(), "%dx%d", &s.width, &s.height) != 2) fail("bad size " + text);
    return s;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) fail(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--title") o.title = value();
        else if (arg == "--legacy-title") o.legacyTitle = true;
        else if (arg == "--class") o.wmClass = value();
        else if (arg == "--no-pid") o.setPid = false;
        else if (arg == "--geometry") {
            std::string g = value();
            if (std::sscanf(g.c_str(), "%dx%d+%d+%d", &o.width, &o.height, &o.x, &o.y) != 4)
                fail("bad geometry " + g);
        } else if (arg == "--min-size") o.minSize = parseSize(value());
        else if (arg == "--max-size") o.maxSize = parseSize(value());
        else if (arg == "--increments") o.increments = parseSize(value());
        else if (arg == "--base-size") o.baseSize = parseSize(value());
        else if (arg == "--fixed-size") o.fixedSize = true;
        else if (arg == "--fullscreen") o.fullscreen = true;
        else if (arg == "--maximized") o.maximized = true;
        else if (arg == "--minimized") o.minimized = true;
        else if (arg == "--gtk-extents") o.gtkExtents = std::atoi(value().c_str());
        else if (arg == "--dock-top") o.dockTop = std::atoi(value().c_str());
        else if (arg == "--panel-bottom") o.panelBottom = std::atoi(value().c_str());
        else if (arg == "--no-activate") o.activate = false;
        else if (arg == "--xsettings-animations") o.xsettingsAnimations = std::atoi(value().c_str());
        else if (arg == "--no-window") o.openWindow = false;
        else if (arg == "--help") {
            std::fputs(usage, stdout);
            std::exit(0);
        } else fail("unknown option " + arg);
    }
    return o;
}

class Probe {
public:
    Probe(xcb_connection_t* c, xcb_screen_t* screen) : c_(c), screen_(screen) {}

    xcb_atom_t atom(const char* name) {
        auto reply = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        if (!reply) fail("cannot intern atoms");
        xcb_atom_t a = reply->atom;
        std::free(reply);
        return a;
    }

    void setCardinals(xcb_window_t w, const char* name, const char* type,
                      const std::vector<std::uint32_t>& values) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom(name), atom(type), 32,
                            values.size(), values.data());
    }

    void setString(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& text) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, property, type, 8, text.size(), text.data());
    }

    xcb_window_t createWindow(const Options& o) {
        xcb_window_t w = xcb_generate_id(c_);
        // A panel the window manager does not manage, as some draw their own.
        std::uint32_t values[] = {screen_->white_pixel, o.panelBottom > 0 ? 1u : 0u,
                                  XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen_->root, o.x, o.y, o.width, o.height, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        if (o.panelBottom > 0)
            setCardinals(w, "_NET_WM_STRUT", "CARDINAL", {0, 0, 0, static_cast<std::uint32_t>(o.panelBottom)});
        setIdentity(w, o);
        setSizeHints(w, o);
        setStates(w, o);
        if (o.dockTop > 0) {
            setCardinals(w, "_NET_WM_WINDOW_TYPE", "ATOM", {atom("_NET_WM_WINDOW_TYPE_DOCK")});
            std::uint32_t endX = static_cast<std::uint32_t>(o.x + o.width - 1);
            setCardinals(w, "_NET_WM_STRUT_PARTIAL", "CARDINAL",
                         {0, 0, static_cast<std::uint32_t>(o.dockTop), 0, 0, 0, 0, 0,
                          static_cast<std::uint32_t>(o.x), endX, 0, 0});
            setCardinals(w, "_NET_WM_STRUT", "CARDINAL", {0, 0, static_cast<std::uint32_t>(o.dockTop), 0});
        }
        if (o.gtkExtents > 0) {
            auto e = static_cast<std::uint32_t>(o.gtkExtents);
            setCardinals(w, "_GTK_FRAME_EXTENTS", "CARDINAL", {e, e, e, e});
            // flags = decorations given, decorations = none
            setCardinals(w, "_MOTIF_WM_HINTS", "_MOTIF_WM_HINTS", {2, 0, 0, 0, 0});
        }
        xcb_atom_t protocols[] = {atom("WM_DELETE_WINDOW")};
        xcb_icccm_set_wm_protocols(c_, w, atom("WM_PROTOCOLS"), 1, protocols);
        deleteWindow_ = protocols[0];
        return w;
    }

    void setIdentity(xcb_window_t w, const Options& o) {
        setString(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, o.title);
        if (!o.legacyTitle) setString(w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), o.title);
        std::string instance = "corvane-probe";
        std::string wmClass = instance + '\0' + o.wmClass + '\0';
        xcb_icccm_set_wm_class(c_, w, wmClass.size(), wmClass.data());
        if (o.setPid) {
            setCardinals(w, "_NET_WM_PID", "CARDINAL", {static_cast<std::uint32_t>(getpid())});
            char host[256] = {};
            gethostname(host, sizeof host - 1);
            setString(w, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, host);
        }
    }

    void setSizeHints(xcb_window_t w, const Options& o) {
        xcb_size_hints_t hints{};
        xcb_icccm_size_hints_set_position(&hints, 1, o.x, o.y);
        xcb_icccm_size_hints_set_size(&hints, 1, o.width, o.height);
        if (o.fixedSize) {
            xcb_icccm_size_hints_set_min_size(&hints, o.width, o.height);
            xcb_icccm_size_hints_set_max_size(&hints, o.width, o.height);
        }
        if (o.minSize) xcb_icccm_size_hints_set_min_size(&hints, o.minSize->width, o.minSize->height);
        if (o.maxSize) xcb_icccm_size_hints_set_max_size(&hints, o.maxSize->width, o.maxSize->height);
        if (o.increments)
            xcb_icccm_size_hints_set_resize_inc(&hints, o.increments->width, o.increments->height);
        if (o.baseSize) xcb_icccm_size_hints_set_base_size(&hints, o.baseSize->width, o.baseSize->height);
        xcb_icccm_set_wm_normal_hints(c_, w, &hints);

        xcb_icccm_wm_hints_t wmHints{};
        xcb_icccm_wm_hints_set_input(&wmHints, 1);
        if (o.minimized) xcb_icccm_wm_hints_set_iconic(&wmHints);
        else xcb_icccm_wm_hints_set_normal(&wmHints);
        xcb_icccm_set_wm_hints(c_, w, &wmHints);
    }

    void setStates(xcb_window_t w, const Options& o) {
        std::vector<std::uint32_t> states;
        if (o.fullscreen) states.push_back(atom("_NET_WM_STATE_FULLSCREEN"));
        if (o.maximized) {
            states.push_back(atom("_NET_WM_STATE_MAXIMIZED_VERT"));
            states.push_back(atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
        }
        if (!states.empty()) setCardinals(w, "_NET_WM_STATE", "ATOM", states);
    }

    // The window manager sets WM_STATE when it takes a window over; without a
    // window manager the window is ready once it is mapped (or at once when it
    // starts iconic).
    void waitUntilManaged(xcb_window_t w, bool iconic) {
        const xcb_atom_t wmState = atom("WM_STATE");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        bool mapped = false;
        while (std::chrono::steady_clock::now() < deadline) {
            if (hasProperty(w, wmState)) return;
            while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
                if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) mapped = true;
                std::free(event);
            }
            if (xcb_connection_has_error(c_)) std::exit(1);
            if ((mapped || iconic) && !hasWindowManager()) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    bool hasProperty(xcb_window_t w, xcb_atom_t property) {
        auto reply = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4), nullptr);
        bool present = reply && reply->type != XCB_NONE;
        std::free(reply);
        return present;
    }

    bool hasWindowManager() { return hasProperty(screen_->root, atom("_NET_SUPPORTING_WM_CHECK")); }

    void sendToRoot(xcb_window_t w, xcb_atom_t type, const std::vector<std::uint32_t>& data) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = type;
        for (std::size_t i = 0; i < data.size() && i < 5; ++i) event.data.data32[i] = data[i];
        xcb_send_event(c_, 0, screen_->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }

    // Source 2 (a tool acting for the user): window managers honour it at once.
    void activate(xcb_window_t w) { sendToRoot(w, atom("_NET_ACTIVE_WINDOW"), {2, XCB_CURRENT_TIME, 0}); }

    xcb_window_t becomeXSettingsManager(int enableAnimations) {
        xcb_window_t owner = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, owner, screen_->root, -10, -10, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        std::vector<std::uint8_t> data = xsettingsData(enableAnimations);
        xcb_atom_t settings = atom("_XSETTINGS_SETTINGS");
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, owner, settings, settings, 8, data.size(), data.data());
        xcb_set_selection_owner(c_, owner, atom("_XSETTINGS_S0"), XCB_CURRENT_TIME);
        return owner;
    }

    // The XSETTINGS wire format, little-endian: one integer setting plus a
    // string one, so that readers must skip over entries.
    static std::vector<std::uint8_t> xsettingsData(int enableAnimations) {
        std::vector<std::uint8_t> d;
        auto card16 = [&](std::uint16_t v) { d.push_back(v & 0xff), d.push_back(v >> 8); };
        auto card32 = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i) d.push_back((v >> (8 * i)) & 0xff);
        };
        auto name = [&](const std::string& n) {
            card16(static_cast<std::uint16_t>(n.size()));
            d.insert(d.end(), n.begin(), n.end());
            while (d.size() % 4) d.push_back(0);
        };
        d.push_back(0);  // LSBFirst
        d.insert(d.end(), 3, 0);
        card32(1);  // serial
        card32(2);  // settings
        d.push_back(1), d.push_back(0);  // string
        name("Net/ThemeName");
        card32(0);
        std::string theme = "Adwaita";
        card32(static_cast<std::uint32_t>(theme.size()));
        d.insert(d.end(), theme.begin(), theme.end());
        while (d.size() % 4) d.push_back(0);
        d.push_back(0), d.push_back(0);  // integer
        name("Gtk/EnableAnimations");
        card32(0);
        card32(static_cast<std::uint32_t>(enableAnimations));
        return d;
    }

    void serve() {
        while (xcb_generic_event_t* event = xcb_wait_for_event(c_)) {
            bool quit = false;
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                quit = message->data.data32[0] == deleteWindow_;
            }
            std::free(event);
            if (quit) break;
        }
    }

private:
    xcb_connection_t* c_;
    xcb_screen_t* screen_;
    xcb_atom_t deleteWindow_ = XCB_NONE;
};

}  // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "corvane-probe: cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    Probe probe(c, it.data);

    xcb_window_t printed = XCB_NONE;
    if (options.xsettingsAnimations) printed = probe.becomeXSettingsManager(*options.xsettingsAnimations);
    if (options.openWindow) {
        xcb_window_t w = probe.createWindow(options);
        xcb_map_window(c, w);
        xcb_flush(c);
        const bool managed = options.panelBottom == 0;
        if (managed) probe.waitUntilManaged(w, options.minimized);
        if (options.activate && managed && !options.minimized && options.dockTop == 0) probe.activate(w);
        printed = w;
    }
    xcb_flush(c);
    std::printf("0x%08x\n", printed);
    std::fflush(stdout);
    probe.serve();
    xcb_disconnect(c);
    return 0;
}
