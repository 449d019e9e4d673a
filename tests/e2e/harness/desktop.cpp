#include "tests/e2e/harness/desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <xcb/randr.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#ifndef CORVANE_PROBE_PATH
#error "CORVANE_PROBE_PATH must name the corvane-probe executable"
#endif

namespace corvane::e2e {

namespace {

std::string size(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

std::filesystem::path makeTempDir() {
    const auto parent = std::filesystem::temp_directory_path();
    // Folders of test processes that were killed before they could clean up.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ec)) {
        const std::string name = entry.path().filename().string();
        const int pid = name.rfind("corvane-e2e-", 0) == 0 ? std::atoi(name.c_str() + 12) : 0;
        if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) std::filesystem::remove_all(entry.path(), ec);
    }
    std::string pattern = (parent / ("corvane-e2e-" + std::to_string(getpid()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A mode the dummy driver accepts for any size: reduced blanking, 60 Hz.
std::vector<std::string> newMode(int width, int height) {
    const int htotal = width + 160, vtotal = height + 30;
    auto s = [](int v) { return std::to_string(v); };
    return {"--newmode", "corvane-" + size(width, height), std::to_string(htotal * vtotal * 60 / 1e6),
            s(width), s(width + 48), s(width + 80), s(htotal), s(height), s(height + 3), s(height + 9),
            s(vtotal), "+hsync", "-vsync"};
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
        if (options_.xorgDummy) startXorg();
        else startServer({"Xvfb", "-screen", "0", size(options_.width, options_.height) + "x24"});
        // Both monitors before the window manager, as at the start of a session.
        if (options_.secondMonitor) plugSecondMonitor();
        if (options_.windowManager) {
            windowManager_ = spawn({"openbox", "--sm-disable"});
            // Openbox publishes its check window and work area a moment before
            // it manages new windows.
            auto ready = [&] {
                auto check = cardinals(root_, "_NET_SUPPORTING_WM_CHECK");
                return !check.empty() && cardinals(check[0], "_NET_SUPPORTING_WM_CHECK") == check &&
                       !cardinals(root_, "_NET_WORKAREA").empty();
            };
            if (!waitUntil(ready, 10s)) throw std::runtime_error("Openbox did not start:\n" + fileText(tempDir_ / "clients.log"));
            std::this_thread::sleep_for(200ms);
        }
        if (options_.dockHeight > 0) {
            const std::string h = std::to_string(options_.dockHeight);
            dock_ = startProbe({.title = "Corvane test dock", .x = 0, .y = 0, .width = options_.width,
                                .height = options_.dockHeight, .activate = false, .extraArgs = {"--dock-top", h}});
            auto applied = [&] {
                auto area = cardinals(root_, "_NET_WORKAREA");
                return area.size() >= 4 && int(area[1]) == options_.dockHeight;
            };
            if (options_.windowManager && !waitUntil(applied)) throw std::runtime_error("the dock's strut was ignored");
        }
    } catch (...) {
        stopAll();
        throw;
    }
}

bool Desktop::xorgDummyAvailable() {
    return geteuid() == 0 && access("/usr/bin/Xorg", X_OK) == 0 && access("/usr/bin/xrandr", X_OK) == 0 &&
           std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so");
}

std::vector<std::string> Desktop::environment() const {
    return {"DISPLAY=" + display_, "XDG_CONFIG_HOME=" + (tempDir_ / "config").string()};
}

int Desktop::run(const std::vector<std::string>& argv, std::string* output, std::chrono::milliseconds timeout,
                 std::string* errors) const {
    return runCommand(argv, environment(), output, timeout, errors);
}

ChildProcess Desktop::spawn(const std::vector<std::string>& argv, bool captureStdout) const {
    return ChildProcess({.argv = argv, .env = environment(), .outputFile = (tempDir_ / "clients.log").string(),
                         .captureStdout = captureStdout});
}

// The server writes its display number to descriptor 3 once it accepts clients.
void Desktop::startServer(std::vector<std::string> argv) {
    argv.insert(argv.end(), {"-displayfd", "3", "-nolisten", "tcp", "-noreset"});
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    try {
        server_ = ChildProcess({.argv = argv, .outputFile = (tempDir_ / "server.log").string(), .inheritFd = fds[1]});
    } catch (...) {
        close(fds[0]), close(fds[1]);
        throw;
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty() || c != '\n')
        throw std::runtime_error("the X server did not start:\n" + fileText(tempDir_ / "server.log"));
    display_ = ":" + number;
    connection_ = xcb_connect(display_.c_str(), nullptr);
    if (xcb_connection_has_error(connection_)) throw std::runtime_error("cannot connect to " + display_);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

void Desktop::startXorg() {
    if (!xorgDummyAvailable()) throw std::runtime_error("Xorg with the dummy driver needs root");
    std::filesystem::create_directories(tempDir_ / "xorg.conf.d");
    std::ofstream(tempDir_ / "xorg.conf")
        << "Section \"ServerFlags\"\n  Option \"AutoAddDevices\" \"false\"\n"
           "  Option \"AutoEnableDevices\" \"false\"\n  Option \"DontVTSwitch\" \"true\"\nEndSection\n"
           "Section \"Device\"\n  Identifier \"dummy\"\n  Driver \"dummy\"\n  VideoRam 256000\nEndSection\n"
           "Section \"Monitor\"\n  Identifier \"monitor\"\n  HorizSync 5.0-1000.0\n  VertRefresh 5.0-200.0\n"
           "EndSection\nSection \"Screen\"\n  Identifier \"screen\"\n  Device \"dummy\"\n  Monitor \"monitor\"\n"
           "  DefaultDepth 24\n  SubSection \"Display\"\n    Depth 24\n    Virtual "
        << options_.width + secondWidth << " " << std::max(options_.height, secondHeight)
        << "\n  EndSubSection\nEndSection\n";
    startServer({"Xorg", "-novtswitch", "-config", (tempDir_ / "xorg.conf").string(), "-configdir",
                 (tempDir_ / "xorg.conf.d").string(), "-logfile", (tempDir_ / "xorg.log").string()});
    // Xorg without input devices keeps the old xfree86 keycodes; real desktops
    // use evdev's, and so do Corvane's key tables.
    if (run({"setxkbmap", "-rules", "evdev", "-model", "pc105", "-layout", "us"}) != 0)
        throw std::runtime_error("setxkbmap could not load the evdev keymap");
    // The first monitor at the asked size, alone on a root window of that size.
    const std::string first = "corvane-" + size(options_.width, options_.height);
    xrandr(newMode(options_.width, options_.height));
    xrandr({"--addmode", "DUMMY0", first});
    xrandr({"--fb", size(options_.width, options_.height), "--output", "DUMMY0", "--mode", first, "--pos", "0x0",
            "--primary"});
    xrandr(newMode(secondWidth, secondHeight));
    xrandr({"--addmode", "DUMMY1", "corvane-" + size(secondWidth, secondHeight)});
}

void Desktop::xrandr(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"xrandr"};
    argv.insert(argv.end(), args.begin(), args.end());
    if (run(argv) != 0) throw std::runtime_error("xrandr failed: " + args[0] + " " + args[1]);
}

ProbeWindow Desktop::startProbe(const ProbeOptions& o) {
    auto pair = [](const auto& p) { return size(p.first, p.second); };
    std::vector<std::string> argv = {CORVANE_PROBE_PATH, "--title", o.title, "--geometry",
                                     size(o.width, o.height) + "+" + std::to_string(o.x) + "+" + std::to_string(o.y)};
    if (o.minSize) argv.insert(argv.end(), {"--min-size", pair(*o.minSize)});
    if (o.increments) argv.insert(argv.end(), {"--increments", pair(*o.increments)});
    if (o.gtkExtents > 0) argv.insert(argv.end(), {"--gtk-extents", std::to_string(o.gtkExtents)});
    const std::pair<const char*, bool> flags[] = {{"--fixed-size", o.fixedSize}, {"--fullscreen", o.fullscreen},
        {"--maximized", o.maximized}, {"--minimized", o.minimized}, {"--no-activate", !o.activate}};
    for (auto [flag, on] : flags)
        if (on) argv.push_back(flag);
    argv.insert(argv.end(), o.extraArgs.begin(), o.extraArgs.end());
    ProbeWindow probe{spawn(argv, true)};
    auto line = probe.process.readLine(10s);
    probe.window = line ? static_cast<std::uint32_t>(std::strtoul(line->c_str(), nullptr, 0)) : 0;
    if (probe.window == 0) throw std::runtime_error("the probe reported no window");
    if (o.activate && !o.minimized && options_.windowManager &&
        !waitUntil([&] { return activeWindow() == probe.window; }))
        throw std::runtime_error("the probe window did not become active");
    return probe;
}

void Desktop::plugSecondMonitor() {
    xrandr({"--fb", size(options_.width + secondWidth, std::max(options_.height, secondHeight)), "--output",
            "DUMMY1", "--mode", "corvane-" + size(secondWidth, secondHeight), "--right-of", "DUMMY0"});
}

void Desktop::addSecondMonitor() {
    plugSecondMonitor();
    settle(2, options_.width + secondWidth);
}

void Desktop::removeSecondMonitor() {
    xrandr({"--output", "DUMMY1", "--off", "--fb", size(options_.width, options_.height)});
    settle(1, options_.width);
}

void Desktop::settle(int monitors, int rootWidth) {
    if (!waitUntil([&] { return monitorCount() == monitors; })) throw std::runtime_error("RandR did not follow");
    // Openbox announces the new desktop size once it has rearranged its windows.
    waitUntil([&] {
        auto geometry = cardinals(root_, "_NET_DESKTOP_GEOMETRY");
        return geometry.empty() || geometry[0] == std::uint32_t(rootWidth);
    }, 1s);
    std::this_thread::sleep_for(100ms);
}

int Desktop::monitorCount() const {
    auto reply = xcb_randr_get_monitors_reply(connection_, xcb_randr_get_monitors(connection_, root_, 1), nullptr);
    const int count = reply ? reply->nMonitors : 0;
    std::free(reply);
    return count;
}

xcb_atom_t Desktop::atom(const std::string& name) const {
    if (auto found = atoms_.find(name); found != atoms_.end()) return found->second;
    auto reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    if (!reply) throw std::runtime_error("cannot intern " + name);
    const xcb_atom_t result = atoms_[name] = reply->atom;
    std::free(reply);
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

bool Desktop::windowExists(xcb_window_t window) const { return clientGeometry(window).has_value(); }

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
    if (connection_) xcb_disconnect(std::exchange(connection_, nullptr));
    dock_.reset();
    windowManager_.stop();
    server_.stop(5s);
    std::error_code ignored;
    if (!tempDir_.empty()) std::filesystem::remove_all(tempDir_, ignored);
}

}  // namespace corvane::e2e
