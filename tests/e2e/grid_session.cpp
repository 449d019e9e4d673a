#include "tests/e2e/grid_session.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/settings_codec.h"

#ifndef CORVANE_APP_PATH
#error "CORVANE_APP_PATH must name the corvane executable"
#endif

namespace corvane::e2e {

namespace fs = std::filesystem;

std::string describe(const Box& box) {
    std::ostringstream out;
    out << "(" << box.x << ", " << box.y << ", " << box.width << ", " << box.height << ")";
    return out.str();
}

CorvaneSession::CorvaneSession(Desktop& desktop, const AppSettings& settings,
                               std::vector<std::string> extraEnvironment)
    : desktop_(desktop), extraEnvironment_(std::move(extraEnvironment)) {
    const fs::path root = desktop_.tempDir();
    fs::create_directories(root / "home");
    fs::create_directories(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    const fs::path folder = root / "config" / "corvane";
    fs::create_directories(folder);
    std::ofstream(folder / "settings.json") << SettingsCodec::encode(settings);
    // Past the first launch: the grid opens only when asked.
    std::ofstream(folder / "state.ini") << "[General]\nhasLaunched=true\n";
}

CorvaneSession::~CorvaneSession() {
    process_.stop();
}

std::vector<std::string> CorvaneSession::environment() const {
    std::vector<std::string> env = desktop_.environment();
    const fs::path root = desktop_.tempDir();
    env.push_back("HOME=" + (root / "home").string());
    env.push_back("XDG_RUNTIME_DIR=" + (root / "runtime").string());
    // No session bus: nothing starts one, and the tray icon takes the XEmbed road.
    env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + (root / "no-bus").string());
    env.insert(env.end(), extraEnvironment_.begin(), extraEnvironment_.end());
    return env;
}

bool CorvaneSession::start(std::string* why) {
    ChildProcess::Options options;
    options.argv = {CORVANE_APP_PATH, "--diagnostics"};
    options.env = environment();
    options.outputFile = (desktop_.tempDir() / "corvane.log").string();
    process_ = ChildProcess(options);
    const bool up = waitUntil([&] { return run({"--status"}).status == 0; }, 20s);
    if (!up && why) *why = "Corvane did not come up:\n" + log();
    return up;
}

Outcome CorvaneSession::run(const std::vector<std::string>& arguments) const {
    const fs::path errors = desktop_.tempDir() / "stderr.txt";
    std::vector<std::string> argv = {
        "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$CORVANE_TEST_STDERR\"", CORVANE_APP_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = environment();
    env.push_back("CORVANE_TEST_STDERR=" + errors.string());
    Outcome result;
    result.status = runCommand(argv, env, &result.out, 30s);
    std::ifstream in(errors);
    result.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}

std::string CorvaneSession::log() const {
    std::ifstream in(desktop_.tempDir() / "corvane.log");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string CorvaneSession::title(xcb_window_t window) const {
    xcb_connection_t* c = desktop_.connection();
    auto reply =
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, window, desktop_.atom("_NET_WM_NAME"),
                                                desktop_.atom("UTF8_STRING"), 0, 256),
                               nullptr);
    std::string text;
    if (reply) {
        text.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    std::size_t(xcb_get_property_value_length(reply)));
        std::free(reply);
    }
    return text;
}

std::vector<xcb_window_t> CorvaneSession::windowsTitled(const std::string& wanted) const {
    std::vector<xcb_window_t> found;
    // Managed windows only: a hidden panel leaves the list.
    for (std::uint32_t window : desktop_.cardinals(desktop_.root(), "_NET_CLIENT_LIST")) {
        const auto owner = desktop_.cardinals(window, "_NET_WM_PID");
        if (owner.empty() || pid_t(owner[0]) != pid()) continue;
        if (title(window) == wanted) found.push_back(window);
    }
    return found;
}

std::vector<xcb_window_t> CorvaneSession::panels() const {
    const std::string prefix = "Corvane \u2014 ";
    std::vector<xcb_window_t> found;
    for (std::uint32_t window : desktop_.cardinals(desktop_.root(), "_NET_CLIENT_LIST")) {
        const auto owner = desktop_.cardinals(window, "_NET_WM_PID");
        if (owner.empty() || pid_t(owner[0]) != pid()) continue;
        if (title(window).rfind(prefix, 0) == 0) found.push_back(window);
    }
    return found;
}

std::optional<xcb_window_t> CorvaneSession::panelOn(const std::string& output) const {
    const auto found = windowsTitled("Corvane \u2014 " + output);
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::optional<xcb_window_t> CorvaneSession::preview() const {
    const auto found = windowsTitled(previewTitle);
    if (found.empty()) return std::nullopt;
    return found.front();
}

bool CorvaneSession::isActive() const {
    const auto active = desktop_.activeWindow();
    if (!active) return false;
    const auto owner = desktop_.cardinals(*active, "_NET_WM_PID");
    return !owner.empty() && pid_t(owner[0]) == pid();
}

void pressKeys(const Desktop& desktop, const std::string& keys) {
    std::vector<std::string> argv = {"xdotool", "key"};
    std::istringstream words(keys);
    for (std::string word; words >> word;) argv.push_back(word);
    desktop.run(argv);
}

Box outerFrame(const Desktop& desktop, xcb_window_t window) {
    const auto client = desktop.clientGeometry(window);
    if (!client) return {};
    auto extents = desktop.cardinals(window, "_NET_FRAME_EXTENTS");
    extents.resize(4, 0);
    const int left = int(extents[0]), right = int(extents[1]), top = int(extents[2]),
              bottom = int(extents[3]);
    return {client->x - left, client->y - top, client->width + left + right,
            client->height + top + bottom};
}

QImage grabScreen(const Desktop& desktop, std::optional<Box> area) {
    xcb_connection_t* c = desktop.connection();
    if (!area) {
        auto geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, desktop.root()), nullptr);
        if (!geometry) return {};
        area = Box{0, 0, geometry->width, geometry->height};
        std::free(geometry);
    }
    auto reply = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, desktop.root(), std::int16_t(area->x),
                      std::int16_t(area->y), std::uint16_t(area->width),
                      std::uint16_t(area->height), ~0u),
        nullptr);
    if (!reply) return {};
    // Depth 24 arrives as 32-bit pixels, blue first: Qt's RGB32 on a little-endian machine.
    QImage image(area->width, area->height, QImage::Format_RGB32);
    const auto* data = xcb_get_image_data(reply);
    const int length = xcb_get_image_data_length(reply);
    const int stride = area->width * 4;
    if (length >= stride * area->height) {
        for (int row = 0; row < area->height; ++row)
            std::memcpy(image.scanLine(row), data + row * stride, std::size_t(stride));
    }
    std::free(reply);
    return image;
}

Box rounded(const Rect& frame) {
    return Box{int(std::lround(frame.x)), int(std::lround(frame.y)), int(std::lround(frame.width)),
               int(std::lround(frame.height))};
}

}  // namespace corvane::e2e
