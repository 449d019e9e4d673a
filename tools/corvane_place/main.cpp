// corvane-place: tiles the active window of $DISPLAY the way Corvane does,
// through the window manager, the verified resizer and the X11 layer. For
// scripts, window-manager checks and bug reports.

#include <unistd.h>
#include <xcb/xcb.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/window/window_manager.h"
#include "core/margins.h"
#include "core/output_line.h"
#include "core/tile_geometry.h"
#include "platform/scheduler/blocking_scheduler.h"
#include "platform/x11/x11_displays.h"
#include "platform/x11/x11_window_system.h"

namespace {

using namespace corvane;

const char* const usage =
    "Usage: corvane-place X,Y,W,H [--margins N] [--animate] [--diagnostics]\n"
    "       corvane-place --next-display [--animate] [--diagnostics]\n"
    "\n"
    "Moves the active window of $DISPLAY onto a region of the monitor it is on and\n"
    "checks where it landed. X,Y,W,H are fractions (0 to 1) of the monitor's work\n"
    "area, from its top-left: 0,0,0.5,1 is the left half.\n"
    "\n"
    "  --margins N     outer margins and gaps between windows of N points (0 to 300)\n"
    "  --animate       move in small steps instead of at once\n"
    "  --next-display  carry the window to the next monitor, keeping its place on it\n"
    "  --diagnostics   print what happens, as Corvane --diagnostics does\n"
    "  --help          show this text\n"
    "\n"
    "Prints \"Resize result: (x, y, w, h), exact=true|false, duration=Nms\" and exits 0;\n"
    "prints the reason and exits 1 when the window cannot be placed, 2 on bad usage.\n";

struct Options {
    std::optional<TileRegion> region;
    Margins margins;
    bool animate = false;
    bool nextDisplay = false;
    bool diagnostics = false;
};

struct UsageError {
    std::string message;
};

std::optional<double> number(const std::string& text) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

TileRegion parseRegion(const std::string& text) {
    std::vector<double> values;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) {
        auto value = number(part);
        if (!value) throw UsageError{"not a number in the region: \"" + part + "\""};
        values.push_back(*value);
    }
    if (values.size() != 4 || text.back() == ',')
        throw UsageError{"the region needs four numbers: X,Y,W,H"};
    TileRegion region{values[0], values[1], values[2], values[3]};
    if (!region.isValid())
        throw UsageError{"the region must lie within 0 to 1 and have a width and a height: " +
                         text};
    return region;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--margins") {
            if (i + 1 >= argc) throw UsageError{"--margins needs a number"};
            auto value = number(argv[++i]);
            if (!value || *value < 0 || *value > Margins::maximum)
                throw UsageError{"--margins takes a number from 0 to 300"};
            o.margins = Margins{true, *value, *value, *value, *value, *value, *value};
        } else if (arg == "--animate") {
            o.animate = true;
        } else if (arg == "--next-display") {
            o.nextDisplay = true;
        } else if (arg == "--diagnostics") {
            o.diagnostics = true;
        } else if (!arg.empty() && arg[0] == '-' && !number(arg.substr(0, arg.find(',')))) {
            throw UsageError{"unknown option " + arg};
        } else if (o.region) {
            throw UsageError{"only one region, please"};
        } else {
            o.region = parseRegion(arg);
        }
    }
    if (o.nextDisplay == o.region.has_value())
        throw UsageError{o.nextDisplay ? "--next-display takes no region" : "no region given"};
    return o;
}

std::vector<Rect> visibleFrames(const std::vector<platform::Display>& displays) {
    std::vector<Rect> frames;
    frames.reserve(displays.size());
    for (const auto& d : displays) frames.push_back(d.visibleFrame);
    return frames;
}

// The destination on the window's monitor, or carried to the next monitor.
Rect destinationFor(const Options& o, const Rect& current,
                    const std::vector<platform::Display>& displays) {
    auto frames = visibleFrames(displays);
    auto index = TileGeometry::screenIndex(current, frames);
    if (!index) throw std::runtime_error("No monitor found.");
    if (!o.nextDisplay) return TileGeometry::frame(*o.region, frames[*index], o.margins);
    if (frames.size() < 2)
        throw std::runtime_error("There is no other monitor to move the window to.");
    return TileGeometry::relocate(current, frames[*index], frames[(*index + 1) % frames.size()]);
}

int place(const Options& o, xcb_connection_t* connection, int screen) {
    auto say = [&](const std::string& line) {
        if (o.diagnostics) writeWholeLine(STDOUT_FILENO, line);
    };
    platform::X11WindowSystem windows(connection, screen);
    platform::X11Displays displays(connection, screen);
    platform::BlockingScheduler scheduler(&windows);
    WindowManager manager(windows, static_cast<int>(getpid()), say);

    WindowTarget target = manager.focusedTarget(windows.frontmostApp());
    const Rect current = manager.frame(target);
    const Rect destination = destinationFor(o, current, displays.displays());
    const std::string app = target.app.wmClass.empty() ? "app" : target.app.wmClass;
    say("Resize " + app + ": " + describe(current) + " \u2192 " + describe(destination));

    const double started = platform::monotonicSeconds();
    const bool exact =
        runSynchronously(manager.apply(destination, target, true, o.animate, scheduler));
    const Rect landed = manager.frame(target);
    const long long ms = static_cast<long long>((platform::monotonicSeconds() - started) * 1000);
    writeWholeLine(STDOUT_FILENO, "Resize result: " + describe(landed) +
                                      ", exact=" + (exact ? "true" : "false") +
                                      ", duration=" + std::to_string(ms) + "ms");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help") {
            std::cout << usage;
            return 0;
        }
    }
    Options options;
    try {
        options = parse(argc, argv);
    } catch (const UsageError& error) {
        std::cerr << "corvane-place: " << error.message << "\n\n" << usage;
        return 2;
    }

    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection)) {
        const char* display = std::getenv("DISPLAY");
        std::cerr << "Cannot open the X display " << (display ? display : "(DISPLAY is not set)")
                  << ".\n";
        xcb_disconnect(connection);
        return 1;
    }
    int status = 1;
    try {
        status = place(options, connection, screen);
    } catch (const std::exception& error) {
        std::cerr << describeError(error) << "\n";
    }
    xcb_disconnect(connection);
    return status;
}
