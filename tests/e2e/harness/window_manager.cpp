#include "tests/e2e/harness/window_manager.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace corvane::e2e {

namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Openbox with its stock configuration, plus the test's own key bindings.
std::vector<std::string> openbox(const std::filesystem::path& folder, const OpenboxKeys& keys) {
    std::vector<std::string> argv = {"openbox", "--sm-disable"};
    if (keys.empty()) return argv;
    std::string rc = fileText("/etc/xdg/openbox/rc.xml");
    const auto keyboard = rc.find("<keyboard>");
    if (keyboard == std::string::npos)
        throw std::runtime_error("no <keyboard> in /etc/xdg/openbox/rc.xml");
    std::string bindings;
    for (const auto& [key, command] : keys) {
        bindings += "<keybind key=\"" + key + "\"><action name=\"Execute\"><command>" + command +
                    "</command></action></keybind>\n";
    }
    rc.insert(keyboard + std::string("<keyboard>").size(), "\n" + bindings);
    std::ofstream(folder / "openbox-rc.xml") << rc;
    argv.insert(argv.end(), {"--config-file", (folder / "openbox-rc.xml").string()});
    return argv;
}

// i3 tiles by default; users who place windows themselves make them float.
std::vector<std::string> i3(const std::filesystem::path& folder) {
    std::ofstream(folder / "i3.config") << "# i3 config file (v4)\nfont pango:DejaVu Sans 8\n"
                                           "for_window [class=\".*\"] floating enable\n"
                                           "for_window [title=\".*\"] floating enable\n";
    return {"i3", "-c", (folder / "i3.config").string()};
}

// Xfwm4 reads its settings from xfconfd, and GNOME's heirs their schemas through
// GSettings: each gets a session bus of its own, and settings kept in memory.
std::vector<std::string> onOwnBus(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"dbus-run-session", "--"});
    return argv;
}

}  // namespace

std::string windowManagerName(WindowManager wm) {
    switch (wm) {
        case WindowManager::none:
            return "none";
        case WindowManager::openbox:
            return "Openbox";
        case WindowManager::xfwm4:
            return "Xfwm4";
        case WindowManager::kwin:
            return "KWin";
        case WindowManager::mutter:
            return "Mutter";
        case WindowManager::muffin:
            return "Muffin";
        case WindowManager::marco:
            return "Marco";
        case WindowManager::metacity:
            return "Metacity";
        case WindowManager::icewm:
            return "IceWM";
        case WindowManager::fluxbox:
            return "Fluxbox";
        case WindowManager::i3:
            return "i3";
    }
    return "?";
}

WindowManager windowManagerNamed(const std::string& name) {
    const auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    for (WindowManager wm :
         {WindowManager::openbox, WindowManager::xfwm4, WindowManager::kwin, WindowManager::mutter,
          WindowManager::muffin, WindowManager::marco, WindowManager::metacity,
          WindowManager::icewm, WindowManager::fluxbox, WindowManager::i3}) {
        if (lower(windowManagerName(wm)) == lower(name)) return wm;
    }
    throw std::runtime_error("no window manager is called " + name);
}

WindowManagerLaunch windowManagerLaunch(WindowManager wm, const std::filesystem::path& folder,
                                        const OpenboxKeys& openboxKeys) {
    // Fluxbox makes its ~/.fluxbox (toolbar included) in the private HOME.
    const std::vector<std::string> settingsInMemory = {"GSETTINGS_BACKEND=memory"};
    switch (wm) {
        case WindowManager::none:
            break;
        case WindowManager::openbox:
            return {openbox(folder, openboxKeys), {}};
        case WindowManager::xfwm4:
            return {onOwnBus({"xfwm4", "--compositor=off", "--sm-client-disable"}), {}};
        case WindowManager::kwin:
            // No compositing: without a GPU it only slows the start.
            return {
                {"kwin_x11", "--replace"}, {"KWIN_COMPOSE=N"}, WorkAreaPublished::withFirstStrut};
        case WindowManager::mutter:
            return {onOwnBus({"mutter", "--x11", "--replace", "--sm-disable"}), settingsInMemory};
        case WindowManager::muffin:
            return {onOwnBus({"muffin", "--x11", "--replace", "--sm-disable"}), settingsInMemory};
        case WindowManager::marco:
            return {{"marco", "--replace", "--no-composite", "--sm-disable"}, settingsInMemory};
        case WindowManager::metacity:
            return {{"metacity", "--replace", "--compositor=none", "--sm-disable"},
                    settingsInMemory};
        case WindowManager::icewm:
            std::filesystem::create_directories(folder / "icewm");
            return {{"icewm"}, {"ICEWM_PRIVCFG=" + (folder / "icewm").string()}};
        case WindowManager::fluxbox:
            return {{"fluxbox"}, {}, WorkAreaPublished::withoutDocks};
        case WindowManager::i3:
            return {i3(folder), {}, WorkAreaPublished::never};
    }
    throw std::runtime_error("no window manager to start");
}

}  // namespace corvane::e2e
