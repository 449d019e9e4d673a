// corvane-settings: checks and formats Corvane settings files from the command
// line, reading them exactly as an import does. It never writes to FILE.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/settings_codec.h"
#include "core/settings/settings_migration.h"

namespace {

using namespace corvane;

constexpr std::string_view kUsage =
    "Usage: corvane-settings COMMAND [FILE]\n"
    "\n"
    "Checks and formats Corvane settings files. FILE is only ever read.\n"
    "\n"
    "Commands:\n"
    "  check FILE     load FILE as an import does; print a summary, or the reason\n"
    "                 it is refused (exit status 1), also when Corvane could not\n"
    "                 save it\n"
    "  format FILE    print FILE as the canonical JSON Corvane writes\n"
    "  upgrade FILE   the same, with the starter layouts brought up to date\n"
    "  defaults       print the default settings document\n"
    "  --help         show this help\n";

std::string countOf(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string summary(const AppSettings& loaded, const AppSettings& upgraded) {
    std::string line = "OK: " + countOf(loaded.layouts.size(), "layout") +
                       ", starter layouts version " + std::to_string(loaded.starterLayoutsVersion);
    if (upgraded != loaded) {
        line += " (Corvane upgrades it to version " +
                std::to_string(upgraded.starterLayoutsVersion) + " with " +
                countOf(upgraded.layouts.size(), "layout") + ")";
    }
    return line + "\n";
}

// Loading and migrating is what an import does; both must succeed for a file to
// pass, and so must writing the result.
std::string run(const std::string& command, const std::string& file) {
    if (command == "defaults") return SettingsCodec::encode(AppSettings());
    const AppSettings loaded = SettingsCodec::load(file);
    if (command == "format") return SettingsCodec::encode(loaded);
    const AppSettings upgraded = SettingsMigration::migrate(loaded);
    if (command == "upgrade") return SettingsCodec::encode(upgraded);
    // Corvane saves the canonical form, which may be larger than a compact file:
    // what passes here must also be savable, as it is and as Corvane upgrades it.
    SettingsCodec::encode(loaded);
    SettingsCodec::encode(upgraded);
    return summary(loaded, upgraded);
}

bool takesFile(const std::string& command) {
    return command == "check" || command == "format" || command == "upgrade";
}

int usageError(const std::string& problem) {
    std::cerr << "corvane-settings: " << problem << "\n\n" << kUsage;
    return 1;
}

bool writeOut(const std::string& text) {
    std::cout << text << std::flush;
    return bool(std::cout);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        return writeOut(std::string(kUsage)) ? 0 : 1;
    }
    if (args.empty()) return usageError("no command given");
    const std::string& command = args[0];
    if (command == "defaults" && args.size() != 1) return usageError("defaults takes no FILE");
    if (command != "defaults" && !takesFile(command)) {
        return usageError("unknown command '" + command + "'");
    }
    if (takesFile(command) && args.size() != 2) return usageError(command + " needs one FILE");
    std::string output;
    try {
        output = run(command, takesFile(command) ? args[1] : std::string());
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    if (!writeOut(output)) {
        std::cerr << "corvane-settings: could not write the output\n";
        return 1;
    }
    return 0;
}
