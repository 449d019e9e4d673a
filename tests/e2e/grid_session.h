#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings/app_settings.h"
#include "core/settings/settings_codec.h"
#include "tests/e2e/harness/desktop.h"

class QImage;

namespace corvane::e2e {

// A window's rectangle on the root, in root pixels.
struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    double midX() const { return x + width / 2.0; }
    double midY() const { return y + height / 2.0; }
    bool operator==(const Box&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Box& b) {
        return out << "(" << b.x << ", " << b.y << ", " << b.width << ", " << b.height << ")";
    }
};

struct Outcome {
    int status = -1;
    std::string out, err;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The corvane executable of this build (defined in grid_session.cpp; app_e2e_tests,
// which does not link it, names the executable itself).
std::string corvanePath();

// Corvane's starter layouts with "Left half" made global on Ctrl+Alt+Super+L,
// no animation and no tray icon asked for.
inline AppSettings leftHalfOnShortcut() {
    AppSettings settings;
    for (SavedLayout& layout : settings.layouts) {
        if (layout.name != "Left half") continue;
        layout.shortcut = KeyCombo{37, KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super, "L"};
        layout.isGlobal = true;
    }
    settings.animateWindows = false;
    settings.showMenuBarIcon = false;
    return settings;
}

// Corvane running on a test desktop as a user starts it: its own settings
// folder (written first), past its first launch so the grid starts closed,
// and no session bus. Stopped with everything it started when this goes away.
class CorvaneSession {
public:
    CorvaneSession(Desktop& desktop, const AppSettings& settings, std::string app = corvanePath())
        : desktop_(desktop), app_(std::move(app)), environment_(desktop.environment()) {
        namespace fs = std::filesystem;
        const fs::path root = desktop_.tempDir(), folder = root / "config" / "corvane";
        fs::create_directories(root / "home");
        fs::create_directories(root / "runtime");
        fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        fs::create_directories(folder);
        std::ofstream(folder / "settings.json") << SettingsCodec::encode(settings);
        std::ofstream(folder / "state.ini") << "[General]\nhasLaunched=true\n";
        environment_.push_back("HOME=" + (root / "home").string());
        environment_.push_back("XDG_RUNTIME_DIR=" + (root / "runtime").string());
        // No session bus: nothing starts one, and the tray icon takes the XEmbed road.
        environment_.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + (root / "no-bus").string());
    }
    ~CorvaneSession() { process_.stop(); }
    CorvaneSession(const CorvaneSession&) = delete;
    CorvaneSession& operator=(const CorvaneSession&) = delete;

    // An environment entry ("NAME=value") for Corvane and its commands, in place of
    // one of the same name; before start().
    void addEnvironment(std::string entry) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        std::erase_if(environment_, [&](const std::string& e) { return e.starts_with(name); });
        environment_.push_back(std::move(entry));
    }

    // Starts Corvane and waits until it answers; false (and the log) when it does not.
    bool start(std::string* why = nullptr) {
        process_ = ChildProcess({.argv = {app_, "--diagnostics"},
                                 .env = environment_,
                                 .outputFile = (desktop_.tempDir() / "corvane.log").string()});
        const bool up = waitUntil([&] { return run({"--status"}).status == 0; }, 20s);
        if (!up && why) *why = "Corvane did not come up:\n" + log();
        return up;
    }
    pid_t pid() const { return process_.pid(); }
    ChildProcess& process() { return process_; }
    std::string log() const { return readFile(desktop_.tempDir() / "corvane.log"); }

    // A command of Corvane's, run to its end.
    Outcome run(const std::vector<std::string>& arguments) const {
        const auto errors = desktop_.tempDir() / "stderr.txt";
        std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$ERRORS\"", app_};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<std::string> env = environment_;
        env.push_back("ERRORS=" + errors.string());
        Outcome result;
        result.status = runCommand(argv, env, &result.out, 30s);
        result.err = readFile(errors);
        return result;
    }

    // Corvane's managed windows whose title is `wanted` (or starts with it, with `prefix`).
    std::vector<xcb_window_t> windowsTitled(const std::string& wanted, bool prefix = false) const {
        std::vector<xcb_window_t> found;
        // Managed windows only: a hidden panel leaves the list.
        for (std::uint32_t window : desktop_.cardinals(desktop_.root(), "_NET_CLIENT_LIST")) {
            const std::string text = title(window);
            if (owns(window) && (prefix ? text.rfind(wanted, 0) == 0 : text == wanted))
                found.push_back(window);
        }
        return found;
    }
    // The open grid panels ("Corvane — <output>").
    std::vector<xcb_window_t> panels() const { return windowsTitled("Corvane \u2014 ", true); }
    std::optional<xcb_window_t> panelOn(const std::string& output) const {
        return first(windowsTitled("Corvane \u2014 " + output));
    }
    // The placement preview while it is mapped.
    std::optional<xcb_window_t> preview() const {
        return first(windowsTitled("Corvane placement preview"));
    }
    // Whether one of Corvane's windows is the active one.
    bool isActive() const {
        const auto active = desktop_.activeWindow();
        return active && owns(*active);
    }
    bool owns(xcb_window_t window) const {
        const auto owner = desktop_.cardinals(window, "_NET_WM_PID");
        return !owner.empty() && pid_t(owner[0]) == pid();
    }
    std::string title(xcb_window_t window) const {
        xcb_connection_t* c = desktop_.connection();
        auto reply =
            xcb_get_property_reply(c,
                                   xcb_get_property(c, 0, window, desktop_.atom("_NET_WM_NAME"),
                                                    desktop_.atom("UTF8_STRING"), 0, 256),
                                   nullptr);
        if (!reply) return {};
        std::string text(static_cast<const char*>(xcb_get_property_value(reply)),
                         std::size_t(xcb_get_property_value_length(reply)));
        std::free(reply);
        return text;
    }

private:
    static std::optional<xcb_window_t> first(const std::vector<xcb_window_t>& windows) {
        return windows.empty() ? std::nullopt : std::optional(windows.front());
    }

    Desktop& desktop_;
    std::string app_;
    std::vector<std::string> environment_;
    ChildProcess process_;
};

// Presses keys through XTest, as `xdotool key` does.
inline void pressKeys(const Desktop& desktop, const std::string& keys) {
    std::vector<std::string> argv = {"xdotool", "key"};
    std::istringstream words(keys);
    for (std::string word; words >> word;) argv.push_back(word);
    desktop.run(argv);
}

// The outer frame of a managed window, decorations included.
inline Box outerFrame(const Desktop& desktop, xcb_window_t window) {
    const auto client = desktop.clientGeometry(window);
    auto e = desktop.cardinals(window, "_NET_FRAME_EXTENTS");
    e.resize(4, 0);
    if (!client) return {};
    return {client->x - int(e[0]), client->y - int(e[2]), client->width + int(e[0] + e[1]),
            client->height + int(e[2] + e[3])};
}

// The root window's pixels in `area`.
QImage grabScreen(const Desktop& desktop, const Box& area);

// Where the grid lies in a panel, in root pixels.
struct GridOnScreen {
    double left = 0, top = 0, cellWidth = 0, cellHeight = 0;
    // xdotool's arguments for the centre of a cell.
    std::vector<std::string> centre(int column, int row) const {
        return {std::to_string(std::lround(left + (column + 0.5) * cellWidth)),
                std::to_string(std::lround(top + (row + 0.5) * cellHeight))};
    }
};

// Finds the grid in the panel's picture while cell (1, 0) is selected: the one
// wide patch of the accent colour, its tile inset 2 pixels.
std::optional<GridOnScreen> locateGrid(const Desktop& desktop, const Box& panel);

}  // namespace corvane::e2e
