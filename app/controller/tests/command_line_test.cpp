#include "app/controller/command_line.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::vector<std::string> arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLineTest, LaunchOptionsCombineInAnyOrder) {
    const CommandLine plain = parse({});
    EXPECT_EQ(plain.action, Action::launch);
    EXPECT_FALSE(plain.error);
    EXPECT_FALSE(plain.show || plain.settings || plain.diagnostics);

    const CommandLine all = parse({"--diagnostics", "--settings", "--show"});
    EXPECT_EQ(all.action, Action::launch);
    EXPECT_FALSE(all.error);
    EXPECT_TRUE(all.show);
    EXPECT_TRUE(all.settings);
    EXPECT_TRUE(all.diagnostics);
    EXPECT_FALSE(all.isScripting());
}

TEST(CommandLineTest, FeaturesOfLaterVersionsSayTheyAreUnavailable) {
    const CommandLine smoke = parse({"--show", "--smoke-test"});
    EXPECT_EQ(smoke.action, Action::unavailable);
    EXPECT_EQ(smoke.error, "--smoke-test is not available in this version of Corvane yet.");

    const CommandLine render = parse({"--render-previews", "/tmp/previews", "--smoke-test"});
    EXPECT_EQ(render.action, Action::unavailable);
    EXPECT_EQ(render.error, "--render-previews is not available in this version of Corvane yet.");

    // Without a folder after it the option is ignored: Corvane starts as usual.
    const CommandLine last = parse({"--show", "--render-previews"});
    EXPECT_EQ(last.action, Action::launch);
    EXPECT_FALSE(last.error);
    EXPECT_TRUE(last.show);
}

TEST(CommandLineTest, ScriptingCommandsStandAlone) {
    const std::vector<std::pair<std::string, Action>> commands = {
        {"--undo", Action::undo},
        {"--toggle-grid", Action::toggleGrid},
        {"--list-layouts", Action::listLayouts},
        {"--status", Action::status},
        {"--quit", Action::quit}};
    for (const auto& [option, action] : commands) {
        const CommandLine line = parse({option});
        EXPECT_EQ(line.action, action) << option;
        EXPECT_TRUE(line.isScripting()) << option;
        EXPECT_FALSE(line.error) << option;
    }

    const CommandLine apply = parse({"--apply-layout", "Left half"});
    EXPECT_EQ(apply.action, Action::applyLayout);
    EXPECT_EQ(apply.layoutName, "Left half");
    // A name is taken as it is, even one that looks like an option.
    EXPECT_EQ(parse({"--apply-layout", "--undo"}).layoutName, "--undo");

    EXPECT_EQ(parse({"--apply-layout"}).error,
              "--apply-layout needs the name of a saved layout. Run \u201ccorvane --help\u201d for "
              "the options.");
    EXPECT_EQ(parse({"--undo", "--quit"}).error,
              "Give one command at a time. Run \u201ccorvane --help\u201d for the options.");
    EXPECT_EQ(
        parse({"--show", "--undo"}).error,
        "--undo cannot be combined with --show. Run \u201ccorvane --help\u201d for the options.");
}

TEST(CommandLineTest, MistypedArgumentsAreRefusedNotIgnored) {
    EXPECT_EQ(parse({"--aply-layout", "X"}).error,
              "Unknown option \u201c--aply-layout\u201d. Run \u201ccorvane --help\u201d for the "
              "options.");
    EXPECT_EQ(
        parse({"show"}).error,
        "Unexpected argument \u201cshow\u201d. Run \u201ccorvane --help\u201d for the options.");
    // The toolkit's own options pass, with their values.
    const CommandLine toolkit =
        parse({"-display", ":3", "--show", "-name", "corvane-test", "-sync"});
    EXPECT_FALSE(toolkit.error);
    EXPECT_TRUE(toolkit.show);
    EXPECT_TRUE(parse({"-display"}).error);
}

TEST(CommandLineTest, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(parse({"--undo", "--help"}).action, Action::help);
    EXPECT_EQ(parse({"-h"}).action, Action::help);
    EXPECT_EQ(parse({"--bogus", "--version"}).action, Action::version);
    for (const char* option : {"--apply-layout NAME", "--undo", "--toggle-grid", "--list-layouts",
                               "--status", "--quit", "--show", "--settings", "--diagnostics"}) {
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace corvane
