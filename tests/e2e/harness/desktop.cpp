#include "tests/e2e/harness/desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <xcb/randr.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef CORVANE_PROBE_PATH
#error "CORVANE_PROBE_PATH must name the corvane-probe executable"
#endif

namespace corvane::e2e {

namespace {

using Clock = std::chrono::steady_clock;

// Folders of test processes that were killed before they could clean up.
void removeAbandonedTempDirs(const std::filesystem::path& parent) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ec)) {
        std::string name = entry.path().filename().string();
        const std::string prefix = "corvane-e2e-";
        if (name.rfind(prefix, 0) != 0) continue;
        int pid = std::atoi(name.c_str() + prefix.size());
        if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) std::filesystem::remove_all(entry.path(), ec);
    }
}

std::filesystem::path makeTempDir() {
    const auto parent = std::filesystem::temp_directory_path();
    removeAbandonedTempDirs(parent);
    std::string pattern = (parent / ("corvane-e2e-" + std::to_string(getpid()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

// The display number the server writes to -displayfd once it accepts clients.
std::string readDisplayNumber(int fd, std::chrono::milliseconds timeout) {
    std::string text;
    const auto deadline = Clock::now() + timeout;
    while (text.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return {};
        pollfd p{fd, POLLIN, 0};
        int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return {};
        char chunk[32];
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) return {};
        text.append(chunk, static_cast<std::size_t>(n));
    }
    return text.substr(0, text.find('\n'));
}

// A modeline the dummy driver accepts for any size: blanking like CVT's
// reduced blanking, 60 Hz.
std::vector<std::string> modeline(int width, int height) {
    const int htotal = width + 160, vtotal = height + 30;
    const double clock = htotal * static_cast<double>(vtotal) * 60 / 1e6;
    char mhz[32];
    std::snprintf(mhz, sizeof mhz, "%.2f", clock);
    auto s = [](int v) { return std::to_string(v); };
    return {mhz,           s(width),      s(width + 48),  s(width + 80), s(htotal), s(height),
            s(height + 3), s(height + 9), s(vtotal),      "+hsync",      "-vsync"};
}

std::string modeName(int width, int height) {
    return "corvane-" + std::to_string(width) + "x" + std::to_string(height);
}

std::string readFileTail(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return all.size() > 2000 ? all.substr(all.size() - 2000) : all;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::vector<std::string> ProbeOptions::arguments() const {
    auto size = [](const std::pair<int, int>& s) {
        return std::to_string(s.first) + "x" + std::to_string(s.second);
    };
    std::vector<std::string> args = {
        "--title", title, "--geometry",
        std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" +
            std::to_string(y)};
    if (minSize) args.insert(args.end(), {"--min-size", size(*minSize)});
    if (increments) args.insert(args.end(), {"--increments", size(*increments)});
    if (baseSize) args.insert(args.end(), {"--base-size", size(*baseSize)});
    if (fixedSize) args.push_back("--fixed-size");
    if (fullscreen) args.push_back("--fullscreen");
    if (maximized) args.push_back("--maximized");
    if (minimized) args.push_back("--minimized");
    if (gtkExtents > 0) args.insert(args.end(), {"--gtk-extents", std::to_string(gtkExtents)});
    if (!activate) args.push_back("--no-activate");
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    return args;
}

Desktop::Desktop() : Desktop(Options{}) {}

Desktop::Desktop(const Options& options) : options_(options), tempDir_(makeTempDir()) {
    try {
        if (options_.xorgDummy) startXorg();
        else startXvfb();
        connect();
        // Both monitors before the window manager, as at the start of a session.
        if (options_.xorgDummy && options_.secondMonitor) plugSecondMonitor();
        if (options_.windowManager) startWindowManager();
        if (options_.dockHeight > 0) startDock();
    } catch (...) {
        stopAll();
        throw;
    }
}

Desktop::~Desktop() { stopAll(); }

bool Desktop::xorgDummyAvailable() {
    return geteuid() == 0 && access("/usr/bin/Xorg", X_OK) == 0 &&
           std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so") &&
           access("/usr/bin/xrandr", X_OK) == 0;
}

std::string Desktop::probePath() { return CORVANE_PROBE_PATH; }

std::vector<std::string> Desktop::environment() const {
    return {"DISPLAY=" + display_, "XDG_CONFIG_HOME=" + (tempDir_ / "config").string()};
}

int Desktop::run(const std::vector<std::string>& argv, std::string* output, std::chrono::milliseconds timeout,
                 std::string* errors) const {
    return runCommand(argv, environment(), output, timeout, errors);
}

ChildProcess Desktop::spawn(const std::vector<std::string>& argv, bool captureStdout) const {
    ChildProcess::Options o;
    o.argv = argv;
    o.env = environment();
    o.captureStdout = captureStdout;
    o.outputFile = (tempDir_ / "clients.log").string();
    return ChildProcess(o);
}

void Desktop::startServer(std::vector<std::string> argv) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    ChildProcess::Options o;
    o.argv = std::move(argv);
    o.outputFile = (tempDir_ / "server.log").string();
    o.inheritFd = fds[1];
    try {
        server_ = ChildProcess(o);
    } catch (...) {
        close(fds[0]), close(fds[1]);
        throw;
    }
    close(fds[1]);
    std::string number = readDisplayNumber(fds[0], 20s);
    close(fds[0]);
    if (number.empty())
        throw std::runtime_error("the X server did not start:\n" + readFileTail(tempDir_ / "server.log"));
    display_ = ":" + number;
}

void Desktop::startXvfb() {
    startServer({"Xvfb", "-displayfd", "3", "-screen", "0",
                 std::to_string(options_.width) + "x" + std::to_string(options_.height) + "x24",
                 "-nolisten", "tcp", "-noreset"});
}

void Desktop::startXorg() {
    if (!xorgDummyAvailable()) throw std::runtime_error("Xorg with the dummy driver needs root");
    std::filesystem::create_directories(tempDir_ / "xorg.conf.d");
    const int virtualWidth = options_.width + secondWidth;
    const int virtualHeight = std::max(options_.height, secondHeight);
    std::ofstream conf(tempDir_ / "xorg.conf");
    conf << "Section \"ServerFlags\"\n"
            "  Option \"AutoAddDevices\" \"false\"\n"
            "  Option \"AutoEnableDevices\" \"false\"\n"
            "  Option \"DontVTSwitch\" \"true\"\n"
            "EndSection\n"
            "Section \"Device\"\n  Identifier \"dummy\"\n  Driver \"dummy\"\n  VideoRam 256000\n"
            "EndSection\n"
            "Section \"Monitor\"\n  Identifier \"monitor\"\n  HorizSync 5.0-1000.0\n"
            "  VertRefresh 5.0-200.0\nEndSection\n"
            "Section \"Screen\"\n  Identifier \"screen\"\n  Device \"dummy\"\n  Monitor \"monitor\"\n"
            "  DefaultDepth 24\n  SubSection \"Display\"\n    Depth 24\n    Virtual "
         << virtualWidth << " " << virtualHeight << "\n  EndSubSection\nEndSection\n";
    conf.close();
    startServer({"Xorg", "-noreset", "-nolisten", "tcp", "-novtswitch", "-config",
                 (tempDir_ / "xorg.conf").string(), "-configdir", (tempDir_ / "xorg.conf.d").string(),
                 "-logfile", (tempDir_ / "xorg.log").string(), "-displayfd", "3"});
    // Xorg without input devices keeps the old xfree86 keycodes; real desktops
    // use evdev's, and so do Corvane's key tables.
    const int keymap = runCommand({"setxkbmap", "-rules", "evdev", "-model", "pc105", "-layout", "us"},
                                  {"DISPLAY=" + display_}, nullptr, 10s);
    if (keymap != 0) throw std::runtime_error("setxkbmap could not load the evdev keymap");
    // The first monitor at the asked size, alone on a root window of that size.
    const std::string first = modeName(options_.width, options_.height);
    std::vector<std::string> newmode = {"--newmode", first};
    auto line = modeline(options_.width, options_.height);
    newmode.insert(newmode.end(), line.begin(), line.end());
    runXrandr(newmode);
    runXrandr({"--addmode", "DUMMY0", first});
    runXrandr({"--fb", std::to_string(options_.width) + "x" + std::to_string(options_.height), "--output",
               "DUMMY0", "--mode", first, "--pos", "0x0", "--primary"});
    std::vector<std::string> second = {"--newmode", modeName(secondWidth, secondHeight)};
    line = modeline(secondWidth, secondHeight);
    second.insert(second.end(), line.begin(), line.end());
    runXrandr(second);
    runXrandr({"--addmode", "DUMMY1", modeName(secondWidth, secondHeight)});
}

void Desktop::runXrandr(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"xrandr"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string output;
    int status = runCommand(argv, {"DISPLAY=" + display_}, &output, 10s);
    if (status != 0) {
        std::string joined;
        for (const auto& a : argv) joined += a + " ";
        throw std::runtime_error("failed (" + std::to_string(status) + "): " + joined);
    }
}

void Desktop::connect() {
    int screen = 0;
    connection_ = xcb_connect(display_.c_str(), &screen);
    if (xcb_connection_has_error(connection_)) throw std::runtime_error("cannot connect to " + display_);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screen; ++i) xcb_screen_next(&it);
    root_ = it.data->root;
}

void Desktop::startWindowManager() {
    std::filesystem::create_directories(tempDir_ / "config");
    ChildProcess::Options o;
    o.argv = options_.windowManagerCommand;
    if (o.argv.empty()) {
        const char* chosen = std::getenv("CORVANE_E2E_WINDOW_MANAGER");
        std::istringstream words(chosen ? chosen : "");
        for (std::string word; words >> word;) o.argv.push_back(word);
    }
    if (o.argv.empty()) o.argv = {"openbox", "--sm-disable"};
    o.env = environment();
    o.outputFile = (tempDir_ / "window-manager.log").string();
    windowManager_ = ChildProcess(o);
    // The window manager publishes its check window and work area a moment
    // before it manages new windows.
    bool ready = waitUntil(
        [&] {
            auto check = cardinals(root_, "_NET_SUPPORTING_WM_CHECK");
            if (check.empty()) return false;
            auto self = cardinals(check[0], "_NET_SUPPORTING_WM_CHECK");
            return !self.empty() && self[0] == check[0] && !cardinals(root_, "_NET_WORKAREA").empty();
        },
        10s);
    if (!ready)
        throw std::runtime_error("the window manager did not start:\n" +
                                 readFileTail(tempDir_ / "window-manager.log"));
    std::this_thread::sleep_for(200ms);
}

void Desktop::startDock() {
    ProbeOptions dock;
    dock.title = "Corvane test dock";
    dock.x = 0;
    dock.y = 0;
    dock.width = options_.width;
    dock.height = options_.dockHeight;
    dock.activate = false;
    dock.extraArgs = {"--dock-top", std::to_string(options_.dockHeight)};
    dock_ = startProbe(dock);
    if (!options_.windowManager) return;
    bool applied = waitUntil([&] {
        auto area = cardinals(root_, "_NET_WORKAREA");
        return area.size() >= 4 && static_cast<int>(area[1]) == options_.dockHeight;
    });
    if (!applied) throw std::runtime_error("the window manager ignored the dock's strut");
}

ProbeWindow Desktop::startProbe(const ProbeOptions& options) {
    std::vector<std::string> argv = {probePath()};
    auto args = options.arguments();
    argv.insert(argv.end(), args.begin(), args.end());
    ProbeWindow probe;
    probe.process = spawn(argv, true);
    auto line = probe.process.readLine(10s);
    if (!line) throw std::runtime_error("the probe did not report its window");
    probe.window = static_cast<std::uint32_t>(std::strtoul(line->c_str(), nullptr, 0));
    if (probe.window == 0) throw std::runtime_error("the probe reported no window: " + *line);
    if (options.activate && !options.minimized && options_.windowManager) {
        if (!waitUntil([&] { return activeWindow() == probe.window; }))
            throw std::runtime_error("the probe window did not become active");
    }
    return probe;
}

void Desktop::plugSecondMonitor() {
    if (!options_.xorgDummy) throw std::runtime_error("a second monitor needs the Xorg dummy desktop");
    runXrandr({"--fb",
               std::to_string(options_.width + secondWidth) + "x" +
                   std::to_string(std::max(options_.height, secondHeight)),
               "--output", "DUMMY1", "--mode", modeName(secondWidth, secondHeight), "--right-of", "DUMMY0"});
    if (!waitUntil([&] { return monitorCount() == 2; })) throw std::runtime_error("the second monitor did not appear");
}

void Desktop::addSecondMonitor() {
    plugSecondMonitor();
    settleAfterMonitorChange(options_.width + secondWidth);
}

void Desktop::removeSecondMonitor() {
    if (!options_.xorgDummy) throw std::runtime_error("a second monitor needs the Xorg dummy desktop");
    runXrandr({"--output", "DUMMY1", "--off", "--fb",
               std::to_string(options_.width) + "x" + std::to_string(options_.height)});
    if (!waitUntil([&] { return monitorCount() == 1; }))
        throw std::runtime_error("the second monitor did not go away");
    settleAfterMonitorChange(options_.width);
}

// Openbox announces the new desktop size once it has rearranged its windows;
// some window managers (Xfwm4) never update it, so this waits only so long.
void Desktop::settleAfterMonitorChange(int rootWidth) {
    if (options_.windowManager) {
        waitUntil(
            [&] {
                auto geometry = cardinals(root_, "_NET_DESKTOP_GEOMETRY");
                return geometry.size() == 2 && static_cast<int>(geometry[0]) == rootWidth;
            },
            1000ms);
    }
    std::this_thread::sleep_for(100ms);
}

int Desktop::monitorCount() {
    auto reply = xcb_randr_get_monitors_reply(connection_, xcb_randr_get_monitors(connection_, root_, 1), nullptr);
    if (!reply) return 0;
    int count = reply->nMonitors;
    std::free(reply);
    return count;
}

xcb_atom_t Desktop::atom(const std::string& name) const {
    if (auto found = atoms_.find(name); found != atoms_.end()) return found->second;
    auto reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr);
    if (!reply) throw std::runtime_error("cannot intern " + name);
    xcb_atom_t result = reply->atom;
    std::free(reply);
    atoms_[name] = result;
    return result;
}

std::vector<std::uint32_t> Desktop::cardinals(xcb_window_t window, const std::string& property) const {
    auto cookie = xcb_get_property(connection_, 0, window, atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
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

bool Desktop::windowExists(xcb_window_t window) const {
    auto reply = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    std::free(reply);
    return reply != nullptr;
}

std::optional<Desktop::Geometry> Desktop::clientGeometry(xcb_window_t window) const {
    auto geometry = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    auto origin = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr);
    std::optional<Geometry> result;
    if (geometry && origin) result = Geometry{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
    std::free(geometry);
    std::free(origin);
    return result;
}

void Desktop::stopAll() {
    if (connection_) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
    }
    dock_.reset();
    windowManager_.stop();
    server_.stop(5s);
    std::error_code ignored;
    if (!tempDir_.empty()) std::filesystem::remove_all(tempDir_, ignored);
}

}  // namespace corvane::e2e
