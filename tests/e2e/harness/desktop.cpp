#include "tests/e2e/harness/desktop.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <utility>

#ifndef CORVANE_PROBE_PATH
#error "CORVANE_PROBE_PATH must name the corvane-probe executable"
#endif

namespace corvane::e2e {

namespace {

std::string size(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

std::filesystem::path makeTempDir() {
    const auto parent = std::filesystem::temp_directory_path();
    // Folders of test processes that were killed before they could clean up.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ec)) {
        const std::string name = entry.path().filename().string();
        const int pid = name.rfind("corvane-e2e-", 0) == 0 ? std::atoi(name.c_str() + 12) : 0;
        if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), ec);
    }
    std::string pattern =
        (parent / ("corvane-e2e-" + std::to_string(getpid()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A mode the dummy driver accepts for any size: reduced blanking, 60 Hz.
std::vector<std::string> newMode(int width, int height) {
    std::vector<std::string> args = {"--newmode", "corvane-" + size(width, height),
                                     std::to_string((width + 160) * (height + 30) * 60 / 1e6)};
    for (int v : {width, width + 48, width + 80, width + 160, height, height + 3, height + 9})
        args.push_back(std::to_string(v));
    args.insert(args.end(), {std::to_string(height + 30), "+hsync", "-vsync"});
    return args;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

Desktop::Desktop() : Desktop(Options{}) {}

Desktop::Desktop(const Options& options) : options_(options), tempDir_(makeTempDir()) {
    try {
        if (options_.xorgDummy)
            startXorg();
        else
            startServer({"Xvfb", "-screen", "0", size(options_.width, options_.height) + "x24"});
        // Both monitors before the window manager, as at the start of a session.
        if (options_.secondMonitor)
            xrandr({"--fb",
                    size(options_.width + secondWidth, std::max(options_.height, secondHeight)),
                    "--output", "DUMMY1", "--mode", "corvane-" + size(secondWidth, secondHeight),
                    "--right-of", "DUMMY0"});
        if (options_.windowManager != WindowManager::none) startWindowManager();
        if (options_.dockHeight > 0) startDock();
    } catch (...) {
        stopAll();
        throw;
    }
}

// The window manager with a private HOME and XDG folders, so nothing of the
// user's is read; ready once its check window lives and its work area is out.
void Desktop::startWindowManager() {
    const WindowManagerLaunch launch =
        windowManagerLaunch(options_.windowManager, tempDir_, options_.openboxKeys);
    std::vector<std::string> env = environment();
    for (const auto& [name, folder] : {std::pair{"HOME", "home"},
                                       {"XDG_DATA_HOME", "data"},
                                       {"XDG_CACHE_HOME", "cache"},
                                       {"XDG_RUNTIME_DIR", "runtime"}}) {
        std::filesystem::create_directories(tempDir_ / folder);
        env.push_back(std::string(name) + "=" + (tempDir_ / folder).string());
    }
    // Programs that find their runtime folder open to others refuse it.
    std::filesystem::permissions(tempDir_ / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    env.insert(env.end(), launch.env.begin(), launch.env.end());
    const auto began = std::chrono::steady_clock::now();
    windowManager_ = ChildProcess({.argv = launch.argv,
                                   .env = env,
                                   .outputFile = (tempDir_ / "window-manager.log").string()});
    workArea_ = launch.workArea;
    auto ready = [&] {
        const auto check = cardinals(root_, "_NET_SUPPORTING_WM_CHECK");
        const bool live =
            !check.empty() && cardinals(check[0], "_NET_SUPPORTING_WM_CHECK") == check;
        const bool atStart =
            workArea_ == WorkAreaPublished::atStart || workArea_ == WorkAreaPublished::withoutDocks;
        return live && (!atStart || !cardinals(root_, "_NET_WORKAREA").empty());
    };
    if (!waitUntil([&] { return ready() || !windowManager_.running(); }, 40s) || !ready())
        throw std::runtime_error(windowManagerName(options_.windowManager) + " did not start:\n" +
                                 fileText(tempDir_ / "window-manager.log"));
    windowManagerStartTime_ = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began);
    // Openbox publishes its work area a moment before it manages new windows.
    if (options_.windowManager == WindowManager::openbox) std::this_thread::sleep_for(200ms);
}

bool Desktop::xorgDummyAvailable() {
    return geteuid() == 0 && std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so");
}

std::vector<std::string> Desktop::environment() const {
    return {"DISPLAY=" + display_, "XDG_CONFIG_HOME=" + (tempDir_ / "config").string()};
}

int Desktop::run(const std::vector<std::string>& argv, std::string* output,
                 std::chrono::milliseconds timeout, std::string* errors) const {
    return runCommand(argv, environment(), output, timeout, errors);
}

ChildProcess Desktop::spawn(const std::vector<std::string>& argv, bool captureStdout) const {
    return ChildProcess({.argv = argv,
                         .env = environment(),
                         .outputFile = (tempDir_ / "clients.log").string(),
                         .captureStdout = captureStdout});
}

ChildProcess Desktop::spawnOpenbox() const {
    ChildProcess openbox = spawn({"openbox", "--sm-disable"});
    if (!waitUntil([&] { return !cardinals(root_, "_NET_WORKAREA").empty(); }, 10s))
        throw std::runtime_error("Openbox did not start:\n" + fileText(tempDir_ / "clients.log"));
    std::this_thread::sleep_for(300ms);  // it manages windows a moment after its work area
    return openbox;
}

// The server writes its display number to -displayfd once it accepts clients.
void Desktop::startServer(std::vector<std::string> argv) {
    argv.insert(argv.end(), {"-displayfd", "1", "-nolisten", "tcp", "-noreset"});
    server_ = ChildProcess(
        {.argv = argv, .outputFile = (tempDir_ / "server.log").string(), .captureStdout = true});
    const auto number = server_.readLine(20s);
    if (!number) throw std::runtime_error("no X server:\n" + fileText(tempDir_ / "server.log"));
    display_ = ":" + *number;
    connection_ = xcb_connect(display_.c_str(), nullptr);
    if (xcb_connection_has_error(connection_))
        throw std::runtime_error("cannot connect to " + display_);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

void Desktop::startXorg() {
    if (!xorgDummyAvailable()) throw std::runtime_error("Xorg with the dummy driver needs root");
    std::filesystem::create_directories(tempDir_ / "xorg.conf.d");
    std::ofstream(tempDir_ / "xorg.conf")
        << "Section \"ServerFlags\"\n Option \"AutoAddDevices\" \"false\"\nEndSection\n"
           "Section \"Device\"\n Identifier \"dummy\"\n Driver \"dummy\"\n VideoRam 256000\n"
           "EndSection\nSection \"Monitor\"\n Identifier \"monitor\"\n HorizSync 5-1000\n"
           " VertRefresh 5-200\nEndSection\nSection \"Screen\"\n Identifier \"screen\"\n"
           " Device \"dummy\"\n Monitor \"monitor\"\n DefaultDepth 24\n SubSection \"Display\"\n"
           "  Depth 24\n  Virtual "
        << options_.width + secondWidth << " " << std::max(options_.height, secondHeight)
        << "\n EndSubSection\nEndSection\n";
    startServer({"Xorg", "-novtswitch", "-config", (tempDir_ / "xorg.conf").string(), "-configdir",
                 (tempDir_ / "xorg.conf.d").string(), "-logfile",
                 (tempDir_ / "xorg.log").string()});
    // Xorg without input devices keeps the old xfree86 keycodes; real desktops
    // use evdev's, and so do Corvane's key tables.
    if (run({"setxkbmap", "-rules", "evdev", "-model", "pc105", "-layout", "us"}) != 0)
        throw std::runtime_error("setxkbmap could not load the evdev keymap");
    // Modes for both monitors; the first alone on a root window of its size.
    const std::tuple<const char*, int, int> monitors[] = {
        {"DUMMY0", options_.width, options_.height}, {"DUMMY1", secondWidth, secondHeight}};
    for (auto [output, width, height] : monitors) {
        xrandr(newMode(width, height));
        xrandr({"--addmode", output, "corvane-" + size(width, height)});
    }
    xrandr({"--fb", size(options_.width, options_.height), "--output", "DUMMY0", "--mode",
            "corvane-" + size(options_.width, options_.height), "--pos", "0x0", "--primary"});
}

void Desktop::xrandr(std::vector<std::string> args) {
    args.insert(args.begin(), "xrandr");
    if (run(args) != 0) throw std::runtime_error("xrandr failed: " + args[1] + " " + args[2]);
}

// A dock along the top, as a panel or menu bar: the work area starts below it.
void Desktop::startDock() {
    const std::uint32_t h = options_.dockHeight;
    dock_ = spawn(
        {CORVANE_PROBE_PATH, size(options_.width, options_.dockHeight) + "+0+0",
         "Corvane test dock", "_NET_WM_WINDOW_TYPE", "ATOM",
         std::to_string(atom("_NET_WM_WINDOW_TYPE_DOCK")), "_NET_WM_STRUT_PARTIAL",
         // Across the first monitor's whole width: window managers that read the
         // strut's extent (Mutter's family, Xfwm4, Fluxbox) ignore a narrower one.
         "CARDINAL",
         "0,0," + std::to_string(h) + ",0,0,0,0,0,0," + std::to_string(options_.width - 1) + ",0,0",
         // The position is the user's: without it Openbox places the dock itself.
         "WM_NORMAL_HINTS", "WM_SIZE_HINTS", "1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"});
    auto below = [&] {
        const auto area = cardinals(root_, "_NET_WORKAREA");
        return area.size() >= 4 && area[1] == h;
    };
    const bool counted =
        workArea_ == WorkAreaPublished::atStart || workArea_ == WorkAreaPublished::withFirstStrut;
    if (counted && !waitUntil(below))
        throw std::runtime_error(windowManagerName(options_.windowManager) +
                                 " ignored the dock's strut");
}

namespace {

// The probe's command line: its geometry and title, then each property a test asks for.
std::vector<std::string> probeArguments(
    const ProbeOptions& o, const std::function<std::uint32_t(const std::string&)>& atom) {
    std::vector<std::string> argv = {
        CORVANE_PROBE_PATH,
        size(o.width, o.height) + "+" + std::to_string(o.x) + "+" + std::to_string(o.y), o.title};
    if (o.lateMs > 0) argv.insert(argv.begin() + 1, {"--late", std::to_string(o.lateMs)});
    auto property = [&](const std::string& name, const std::string& type,
                        const std::vector<std::uint32_t>& values) {
        std::string list;
        for (std::uint32_t value : values) list += std::to_string(value) + ",";
        argv.insert(argv.end(), {name, type, list});
    };
    // WM_NORMAL_HINTS: flags, position, size, minimum, maximum, increments, aspects, base, gravity.
    std::vector<std::uint32_t> hints = {1 | 2, std::uint32_t(o.x), std::uint32_t(o.y),
                                        std::uint32_t(o.width), std::uint32_t(o.height)};
    hints.resize(18);
    auto hint = [&](std::uint32_t flag, int at, int w, int h) {
        hints[0] |= flag, hints[at] = w, hints[at + 1] = h;
    };
    if (o.minSize) hint(16, 5, o.minSize->first, o.minSize->second);
    if (o.fixedSize) hint(16, 5, o.width, o.height), hint(32, 7, o.width, o.height);
    if (o.increments) hint(64, 9, o.increments->first, o.increments->second);
    property("WM_NORMAL_HINTS", "WM_SIZE_HINTS", hints);
    if (o.minimized) property("WM_HINTS", "WM_HINTS", {2, 0, 3, 0, 0, 0, 0, 0, 0});  // iconic
    std::vector<std::uint32_t> states;
    if (o.fullscreen) states.push_back(atom("_NET_WM_STATE_FULLSCREEN"));
    for (const char* axis : {"VERT", "HORZ"})
        if (o.maximized) states.push_back(atom(std::string("_NET_WM_STATE_MAXIMIZED_") + axis));
    if (!states.empty()) property("_NET_WM_STATE", "ATOM", states);
    if (const std::uint32_t e = o.gtkExtents) {
        property("_GTK_FRAME_EXTENTS", "CARDINAL", {e, e, e, e});
        property("_MOTIF_WM_HINTS", "_MOTIF_WM_HINTS", {2, 0, 0, 0, 0});  // no decorations
    }
    if (!o.icon.empty()) property("_NET_WM_ICON", "CARDINAL", o.icon);
    if (!o.namesOwner) {  // as simple X clients, some games and tools
        property("_NET_WM_PID", "CARDINAL", {});
        property("WM_CLASS", "STRING", {});
    }
    return argv;
}

}  // namespace

ProbeWindow Desktop::startProbe(const ProbeOptions& o) {
    const std::vector<std::string> argv =
        probeArguments(o, [this](const std::string& name) { return atom(name); });
    ProbeWindow probe{spawn(argv, true)};
    auto line = probe.process.readLine(10s);
    const xcb_window_t w = probe.window = line ? std::strtoul(line->c_str(), nullptr, 0) : 0;
    if (w == 0) throw std::runtime_error("the probe reported no window");
    // A window manager sets WM_STATE once it has taken the window over, and
    // only then honours a request (from a tool acting for the user) to activate it.
    if (cardinals(root_, "_NET_SUPPORTING_WM_CHECK").empty()) return probe;
    if (!waitUntil([&] { return !cardinals(w, "WM_STATE").empty(); }))
        throw std::runtime_error("probe not managed");
    if (!o.activate || o.minimized) return probe;
    if (!activate(w)) throw std::runtime_error("the probe did not become active");
    return probe;
}

bool Desktop::activate(xcb_window_t window, std::chrono::milliseconds timeout) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE, event.format = 32, event.window = window;
    event.type = atom("_NET_ACTIVE_WINDOW"), event.data.data32[0] = 2;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
    return waitUntil([&] { return activeWindow() == window; }, timeout);
}

void Desktop::removeSecondMonitor() {
    xrandr({"--output", "DUMMY1", "--off", "--fb", size(options_.width, options_.height)});
    // Openbox announces the new desktop size once it has rearranged its windows.
    auto shrunk = [&] {
        auto geometry = cardinals(root_, "_NET_DESKTOP_GEOMETRY");
        return geometry.empty() || geometry[0] == std::uint32_t(options_.width);
    };
    waitUntil(shrunk, 1s);
    std::this_thread::sleep_for(100ms);
}

xcb_atom_t Desktop::atom(const std::string& name) const {
    auto cookie = xcb_intern_atom(connection_, 0, name.size(), name.c_str());
    auto reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
    if (!reply) throw std::runtime_error("cannot intern " + name);
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

std::vector<std::uint32_t> Desktop::cardinals(xcb_window_t window,
                                              const std::string& property) const {
    auto cookie = xcb_get_property(connection_, 0, window, atom(property),
                                   XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    auto reply = xcb_get_property_reply(connection_, cookie, nullptr);
    std::vector<std::uint32_t> values;
    if (reply && reply->format == 32) {
        auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

std::optional<xcb_window_t> Desktop::activeWindow() const {
    auto active = cardinals(root_, "_NET_ACTIVE_WINDOW");
    if (active.empty() || active[0] == XCB_NONE) return std::nullopt;
    return active[0];
}

std::optional<Desktop::Geometry> Desktop::clientGeometry(xcb_window_t window) const {
    auto geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    auto origin = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr);
    std::optional<Geometry> result;
    if (geometry && origin)
        result = Geometry{origin->dst_x, origin->dst_y, geometry->width, geometry->height,
                          geometry->border_width};
    std::free(geometry);
    std::free(origin);
    return result;
}

void Desktop::stopAll() {
    if (connection_) xcb_disconnect(std::exchange(connection_, nullptr));
    dock_.stop();
    windowManager_.stop();
    server_.stop(5s);
    std::error_code ignored;
    if (!tempDir_.empty()) std::filesystem::remove_all(tempDir_, ignored);
}

}  // namespace corvane::e2e
