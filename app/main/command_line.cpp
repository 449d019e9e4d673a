#include "app/main/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace corvane {

namespace {

struct ScriptingOption {
    std::string_view name;
    CommandLine::Action action;
};

constexpr std::array scriptingOptions{
    ScriptingOption{"--apply-layout", CommandLine::Action::applyLayout},
    ScriptingOption{"--undo", CommandLine::Action::undo},
    ScriptingOption{"--toggle-grid", CommandLine::Action::toggleGrid},
    ScriptingOption{"--list-layouts", CommandLine::Action::listLayouts},
    ScriptingOption{"--status", CommandLine::Action::status},
    ScriptingOption{"--quit", CommandLine::Action::quit},
};

// Options of the toolkit itself (X display, window class name ...), passed on
// to it untouched; the first group takes a value.
constexpr std::array<std::string_view, 8> toolkitOptionsWithValue{
    "-display", "--display", "-platform", "--platform", "-name", "--name", "-style", "--style"};
constexpr std::array<std::string_view, 2> toolkitFlags{"-sync", "-reverse"};

template <typename List>
bool contains(const List& list, std::string_view value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

std::string quoted(const std::string& text) {
    return "\u201c" + text + "\u201d";
}

CommandLine only(CommandLine::Action action) {
    CommandLine result;
    result.action = action;
    return result;
}

CommandLine refused(std::string reason) {
    CommandLine result;
    result.error = std::move(reason) + " Run \u201ccorvane --help\u201d for the options.";
    return result;
}

// What reading the arguments collects besides the result itself.
struct Parsing {
    CommandLine result;
    std::optional<std::string> scripting;  // the scripting option given, if any
    std::vector<std::string> launchOptions;
    bool smokeTest = false;
    bool renderPreviews = false;
};

// A launch option (--show, --settings ...) is recorded and true; anything else false.
bool takeLaunchOption(Parsing& parsing, const std::vector<std::string>& arguments, std::size_t& i) {
    const std::string& argument = arguments[i];
    CommandLine& result = parsing.result;
    if (argument == "--show") {
        result.show = true;
    } else if (argument == "--settings") {
        result.settings = true;
    } else if (argument == "--diagnostics") {
        result.diagnostics = true;
    } else if (argument == "--smoke-test") {
        parsing.smokeTest = true;
    } else if (argument == "--render-previews") {
        // Without a folder after it the option is ignored and Corvane starts as usual.
        if (i + 1 < arguments.size()) {
            parsing.renderPreviews = true;
            parsing.result.previewsFolder = arguments[++i];
        }
    } else {
        return false;
    }
    parsing.launchOptions.push_back(argument);
    return true;
}

// A scripting command stands alone; a launch may ask for what this version lacks.
CommandLine finish(Parsing parsing) {
    CommandLine& result = parsing.result;
    if (parsing.scripting) {
        if (!parsing.launchOptions.empty()) {
            return refused(*parsing.scripting + " cannot be combined with " +
                           parsing.launchOptions.front() + ".");
        }
        return result;
    }
    // Rendering comes before everything else, then the self-test.
    if (parsing.renderPreviews) {
        result.action = CommandLine::Action::renderPreviews;
    }
    result.smokeTest = parsing.smokeTest;
    return result;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    // Asking for help is never an error, whatever else is on the line.
    if (contains(arguments, "--help") || contains(arguments, "-h"))
        return only(CommandLine::Action::help);
    if (contains(arguments, "--version")) return only(CommandLine::Action::version);

    Parsing parsing;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();

        const auto option =
            std::find_if(scriptingOptions.begin(), scriptingOptions.end(),
                         [&](const ScriptingOption& o) { return o.name == argument; });
        if (option != scriptingOptions.end()) {
            if (parsing.scripting) return refused("Give one command at a time.");
            parsing.scripting = argument;
            parsing.result.action = option->action;
            if (option->action == CommandLine::Action::applyLayout) {
                if (!hasValue) return refused("--apply-layout needs the name of a saved layout.");
                parsing.result.layoutName = arguments[++i];
            }
        } else if (takeLaunchOption(parsing, arguments, i) || contains(toolkitFlags, argument)) {
            continue;
        } else if (contains(toolkitOptionsWithValue, argument)) {
            if (!hasValue) return refused(quoted(argument) + " needs a value.");
            ++i;
        } else if (!argument.empty() && argument[0] == '-') {
            return refused("Unknown option " + quoted(argument) + ".");
        } else {
            return refused("Unexpected argument " + quoted(argument) + ".");
        }
    }
    return finish(std::move(parsing));
}

std::string usageText() {
    return "Usage: corvane [--show | --settings | --smoke-test] [--diagnostics]\n"
           "       corvane COMMAND\n"
           "\n"
           "Starts Corvane, the grid window tiler. When Corvane is running already, the\n"
           "running instance opens the grid (or its settings, with --settings).\n"
           "\n"
           "Launch options:\n"
           "  --show                 open the grid a moment after starting\n"
           "  --settings             open the settings window a moment after starting\n"
           "  --diagnostics          print diagnostic lines to standard output\n"
           "  --smoke-test           check the grid, the settings window and the global\n"
           "                         shortcuts on this desktop, then quit: status 0 when\n"
           "                         every check passes, 1 at the first that fails\n"
           "  --render-previews DIR  draw pictures of Corvane's windows into DIR and exit\n"
           "\n"
           "Commands for the running Corvane (for scripts and window manager key bindings):\n"
           "  --apply-layout NAME    place the focused window with the saved layout NAME\n"
           "  --undo                 undo the last placement\n"
           "  --toggle-grid          open the grid, or close it when it is open\n"
           "  --list-layouts         list the saved layouts, one per line, tab-separated:\n"
           "                         name, shortcut (empty when none), \"global\" or\n"
           "                         \"grid only\", and \"disabled\" for a switched-off shortcut\n"
           "  --status               tell whether window control works, whether the tray\n"
           "                         icon shows, and which shortcuts could not be registered\n"
           "  --quit                 quit Corvane\n"
           "\n"
           "Exit status: 0 on success; 2 when --apply-layout or --undo placed the window\n"
           "but it could not reach the exact size (the reason is on standard error);\n"
           "1 on any error, including when Corvane is not running.\n"
           "\n"
           "  --help                 show this text\n"
           "  --version              show the version\n";
}

}  // namespace corvane
