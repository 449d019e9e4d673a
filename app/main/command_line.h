#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// What one run of `corvane` was asked to do. Launch options may come in any
// order and together; a scripting command stands alone and talks to the
// Corvane that is already running.
struct CommandLine {
    enum class Action {
        launch,       // start Corvane (or wake the running one)
        help,         // print the usage and exit
        version,      // print the version and exit
        unavailable,  // a known option this build cannot carry out yet
        // --render-previews FOLDER: draw Corvane's windows into picture files
        renderPreviews,
        applyLayout,  // --apply-layout NAME
        undo,         // --undo
        toggleGrid,   // --toggle-grid
        listLayouts,  // --list-layouts
        status,       // --status
        quit,         // --quit
    };

    Action action = Action::launch;
    // Launch options.
    bool show = false;         // --show
    bool settings = false;     // --settings
    bool diagnostics = false;  // --diagnostics
    bool smokeTest = false;    // --smoke-test (before --settings and --show)
    // --apply-layout's layout name.
    std::string layoutName;
    // --render-previews' folder.
    std::string previewsFolder;
    // The sentence to print for `unavailable`, or the reason the arguments
    // were refused (then `action` means nothing).
    std::optional<std::string> error;

    bool isScripting() const { return action >= Action::applyLayout; }
};

// Reads the arguments after the program name. Never throws: refused
// arguments come back in `error`.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string usageText();

}  // namespace corvane
