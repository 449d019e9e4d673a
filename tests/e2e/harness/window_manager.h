#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace corvane::e2e {

// The window managers a test desktop can run: the ones people use on X11.
enum class WindowManager {
    none,
    openbox,
    xfwm4,
    kwin,
    mutter,
    muffin,
    marco,
    metacity,
    icewm,
    fluxbox,
    i3
};

// Its name as the window manager gives it ("Openbox", "KWin", ...).
std::string windowManagerName(WindowManager wm);

// The window manager of that name, in any case ("xfwm4", "KWin"); throws
// std::runtime_error for a name that is none of them.
WindowManager windowManagerNamed(const std::string& name);

// When a window manager publishes _NET_WORKAREA: at its start, only once a window
// declares a strut (KWin), at its start but without the struts of docks (Fluxbox,
// whose work area leaves out only its own toolbar), or never (i3).
enum class WorkAreaPublished { atStart, withFirstStrut, withoutDocks, never };

// How to start one window manager on a test's desktop without reading anything of
// the user's: its command line, the environment on top of the desktop's, and
// when it publishes its work area.
struct WindowManagerLaunch {
    std::vector<std::string> argv;
    std::vector<std::string> env;
    WorkAreaPublished workArea = WorkAreaPublished::atStart;
};

// Openbox key bindings, each running a command: {"W-F11", "touch /tmp/x"}.
using OpenboxKeys = std::vector<std::pair<std::string, std::string>>;

// Writes whatever configuration `wm` needs into `folder` (the test's own) and
// says how to start it. Throws std::runtime_error for `none`.
WindowManagerLaunch windowManagerLaunch(WindowManager wm, const std::filesystem::path& folder,
                                        const OpenboxKeys& openboxKeys);

}  // namespace corvane::e2e
