#include "platform/autostart/xdg_autostart.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "core/settings/durable_file.h"

namespace corvane::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view reservedInExec = " \t\n\"'\\><~|&;$*?#()`";
// Desktop entries are a few hundred bytes; anything far larger is not one.
constexpr std::size_t longestEntry = std::size_t{64} * 1024;

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

std::optional<std::string> readEntry(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(longestEntry, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

bool isPresent(const fs::path& file) {
    std::error_code ec;
    return fs::symlink_status(file, ec).type() != fs::file_type::not_found && !ec;
}

void write(const fs::path& file, const std::string& text) {
    try {
        fs::create_directories(file.parent_path());
        DurableFile::replaceAtomically(file, text);
    } catch (const std::exception& error) {
        throw std::runtime_error("The autostart entry could not be written (" +
                                 std::string(error.what()) + ").");
    }
}

}  // namespace

XdgAutostart::XdgAutostart() : XdgAutostart(optionsFromEnvironment()) {}

XdgAutostart::XdgAutostart(Options options) : options_(std::move(options)) {}

XdgAutostart::Options XdgAutostart::optionsFromEnvironment() {
    Options options;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        options.configHome = fs::path(config);
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        options.configHome = fs::path(home) / ".config";
    } else if (const passwd* user = getpwuid(getuid());
               user && user->pw_dir && user->pw_dir[0] == '/') {
        options.configHome = fs::path(user->pw_dir) / ".config";
    }
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::stringstream list(dirs && dirs[0] ? dirs : "/etc/xdg");
    for (std::string dir; std::getline(list, dir, ':');) {
        if (!dir.empty() && dir[0] == '/') options.configDirs.emplace_back(dir);
    }
    std::error_code ec;
    options.executable = programPath(fs::read_symlink("/proc/self/exe", ec));
    return options;
}

fs::path XdgAutostart::programPath(const fs::path& linkTarget) {
    // Linux appends " (deleted)" once the running file is gone; the upgraded
    // program is installed at the original path, which is what login should start.
    constexpr std::string_view replaced = " (deleted)";
    const std::string text = linkTarget.string();
    std::error_code ec;
    if (text.ends_with(replaced) && !fs::exists(linkTarget, ec)) {
        return fs::path(text.substr(0, text.size() - replaced.size()));
    }
    return linkTarget;
}

fs::path XdgAutostart::entryPath() const {
    if (!options_.configHome) return {};
    return *options_.configHome / "autostart" / fileName;
}

std::optional<fs::path> XdgAutostart::systemEntry() const {
    for (const fs::path& dir : options_.configDirs) {
        const fs::path candidate = dir / "autostart" / fileName;
        if (isPresent(candidate)) return candidate;  // the first one found hides the others
    }
    return std::nullopt;
}

bool XdgAutostart::systemEntryEnables() const {
    const std::optional<fs::path> entry = systemEntry();
    if (!entry) return false;
    const std::optional<std::string> text = readEntry(*entry);
    return text && entryEnables(*text);
}

bool XdgAutostart::isEnabled() {
    const fs::path user = entryPath();
    if (!user.empty() && isPresent(user)) {
        const std::optional<std::string> text = readEntry(user);
        return text && entryEnables(*text);
    }
    return systemEntryEnables();
}

void XdgAutostart::setEnabled(bool enabled) {
    const fs::path user = entryPath();
    if (enabled) {
        if (isEnabled()) return;  // the user's own entry stays as it is
        if (user.empty())
            throw std::runtime_error("There is no home folder to keep the autostart entry in.");
        if (options_.executable.empty() || !options_.executable.is_absolute()) {
            throw std::runtime_error("Corvane could not find its own program file.");
        }
        write(user, entryText(options_.executable));
        return;
    }
    if (systemEntryEnables()) {
        if (user.empty())
            throw std::runtime_error("There is no home folder to keep the autostart entry in.");
        write(user, "[Desktop Entry]\nType=Application\nName=Corvane\nHidden=true\n");
        return;
    }
    if (user.empty() || !isPresent(user)) return;
    std::error_code ec;
    fs::remove(user, ec);
    if (ec) {
        throw std::runtime_error("The autostart entry " + user.string() +
                                 " could not be removed (" + ec.message() + ").");
    }
}

std::string XdgAutostart::entryText(const fs::path& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Corvane\n"
           "Comment=Place the focused window on a grid\n"
           "Icon=corvane\n"
           "Exec=" +
           execArgument(executable.string()) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string XdgAutostart::execArgument(const std::string& text) {
    // Quoting first, for the command line the launcher builds ...
    std::string argument;
    if (text.find_first_of(reservedInExec) == std::string::npos && !text.empty()) {
        argument = text;
    } else {
        argument = "\"";
        for (char c : text) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') argument += '\\';
            argument += c;
        }
        argument += '"';
    }
    // ... then the escapes of every string value, and %% for a literal % (field codes).
    std::string value;
    for (char c : argument) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            case '%':
                value += "%%";
                break;
            default:
                value += c;
        }
    }
    return value;
}

bool XdgAutostart::entryEnables(const std::string& text) {
    std::istringstream lines(text);
    bool inMainGroup = false;
    for (std::string line; std::getline(lines, line);) {
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#') continue;
        if (content[0] == '[') {
            inMainGroup = content == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const auto equals = content.find('=');
        if (equals == std::string::npos) continue;
        if (trimmed(std::string_view(content).substr(0, equals)) == "Hidden" &&
            trimmed(std::string_view(content).substr(equals + 1)) == "true") {
            return false;
        }
    }
    return true;
}

}  // namespace corvane::platform
