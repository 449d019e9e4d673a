#include "app/main/command_line.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Action = CommandLine::Action;
using Arguments = std::vector<std::string>;

TEST(CommandLineTest, OptionsCommandsAndMistakes) {
    const std::pair<Arguments, Action> accepted[] = {
        {{"--diagnostics", "--settings", "--show"}, Action::launch},
        {{"-display", ":3", "--show", "-sync"}, Action::launch},  // the toolkit's own options
        {{"--show", "--render-previews"}, Action::launch},        // without a folder: ignored
        {{"--show", "--smoke-test", "--settings"}, Action::launch},
        {{"--undo"}, Action::undo},
        {{"--toggle-grid"}, Action::toggleGrid},
        {{"--list-layouts"}, Action::listLayouts},
        {{"--status"}, Action::status},
        {{"--quit"}, Action::quit},
        {{"--apply-layout", "--undo"}, Action::applyLayout},  // a name taken as it is
        {{"--undo", "--help"}, Action::help},
        {{"--bogus", "--version"}, Action::version}};
    for (const auto& [arguments, action] : accepted) {
        const CommandLine line = parseCommandLine(arguments);
        EXPECT_EQ(line.action, action) << ::testing::PrintToString(arguments);
        EXPECT_EQ(line.error, std::nullopt) << ::testing::PrintToString(arguments);
    }
    const CommandLine all = parseCommandLine({"--diagnostics", "--settings", "--show"});
    EXPECT_TRUE(all.show && all.settings && all.diagnostics && !all.isScripting());
    EXPECT_FALSE(all.smokeTest);
    EXPECT_TRUE(parseCommandLine({"--show", "--smoke-test"}).smokeTest);
    EXPECT_TRUE(parseCommandLine({"--smoke-test", "--undo"}).error) << "a command stands alone";
    EXPECT_EQ(parseCommandLine({"--apply-layout", "Left half"}).layoutName, "Left half");
    // Rendering pictures comes before every other launch option, the self-test included.
    const CommandLine render = parseCommandLine({"--smoke-test", "--render-previews", "docs"});
    EXPECT_EQ(render.action, Action::renderPreviews);
    EXPECT_EQ(render.previewsFolder, "docs");
    EXPECT_EQ(render.error, std::nullopt);

    const std::string help = " Run \u201ccorvane --help\u201d for the options.";
    const std::pair<Arguments, std::string> refused[] = {
        {{"--apply-layout"}, "--apply-layout needs the name of a saved layout." + help},
        {{"--undo", "--quit"}, "Give one command at a time." + help},
        {{"--show", "--undo"}, "--undo cannot be combined with --show." + help},
        {{"--aply-layout", "X"}, "Unknown option \u201c--aply-layout\u201d." + help},
        {{"show"}, "Unexpected argument \u201cshow\u201d." + help}};
    for (const auto& [arguments, error] : refused) {
        EXPECT_EQ(parseCommandLine(arguments).error, error) << ::testing::PrintToString(arguments);
    }
    EXPECT_TRUE(parseCommandLine({"-display"}).error) << "a toolkit option without its value";
    for (const char* option :
         {"--apply-layout NAME", "--undo", "--toggle-grid", "--list-layouts", "--status", "--quit",
          "--show", "--settings", "--diagnostics", "--smoke-test", "--render-previews DIR"}) {
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace corvane
