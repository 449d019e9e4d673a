#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_shell.h"

namespace corvane::platform {

// Start at login through an XDG autostart entry, corvane.desktop, in
// $XDG_CONFIG_HOME/autostart. The entry is on when the user's file is there
// and not Hidden=true; without a user file, an entry the system installed
// (in $XDG_CONFIG_DIRS/autostart) decides.
//
// Switching on writes the file atomically and durably, starting the running
// binary by its absolute path; an entry that is on already is left as the user
// has it. Switching off removes the user's file, or, when a system entry would
// then start Corvane anyway, writes Hidden=true, which is how the user
// overrides a system entry.
class XdgAutostart : public LoginItem {
public:
    static constexpr const char* fileName = "corvane.desktop";

    struct Options {
        // The user's config folder; none when there is no home folder at all.
        std::optional<std::filesystem::path> configHome;
        // The system's config folders, most important first.
        std::vector<std::filesystem::path> configDirs;
        // What the entry starts.
        std::filesystem::path executable;
    };

    // From the environment: XDG_CONFIG_HOME (else ~/.config), XDG_CONFIG_DIRS
    // (else /etc/xdg) and this process's own binary.
    XdgAutostart();
    explicit XdgAutostart(Options options);

    bool isEnabled() override;
    // Throws std::runtime_error with a description.
    void setEnabled(bool enabled) override;

    // The user's entry; empty when there is no config folder.
    std::filesystem::path entryPath() const;

    static Options optionsFromEnvironment();
    // The program to start, from where /proc/self/exe points: a program whose
    // file was replaced while it ran (a package upgrade) still names its path.
    static std::filesystem::path programPath(const std::filesystem::path& linkTarget);
    // The entry written for `executable`.
    static std::string entryText(const std::filesystem::path& executable);
    // `text` as one argument of a desktop entry's Exec key, quoted and escaped
    // as freedesktop.org desktop entries require, as the key's value is stored.
    static std::string execArgument(const std::string& text);
    // Whether an entry's text starts Corvane: present and not Hidden=true.
    static bool entryEnables(const std::string& text);

private:
    std::optional<std::filesystem::path> systemEntry() const;
    bool systemEntryEnables() const;

    Options options_;
};

}  // namespace corvane::platform
