#include "platform/xdg_autostart.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/testing/temp_dir.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

class XdgAutostartTest : public ::testing::Test {
protected:
    XdgAutostart::Options options() const {
        return {.configHome = dir / "config",
                .configDirs = {dir / "xdg-a", dir / "xdg-b"},
                .executable = "/opt/corvane/bin/corvane"};
    }
    fs::path userEntry() const { return dir / "config" / "autostart" / "corvane.desktop"; }
    fs::path systemEntry(const std::string& folder = "xdg-b") const {
        return dir / folder / "autostart" / "corvane.desktop";
    }
    void writeEntry(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        writeFile(file, text);
    }
    std::size_t filesIn(const fs::path& folder) const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
        return count;
    }

    TempDir dir;
};

TEST_F(XdgAutostartTest, SwitchingOnWritesAnEntryAndSwitchingOffRemovesIt) {
    XdgAutostart login(options());
    EXPECT_FALSE(login.isEnabled());
    EXPECT_EQ(login.entryPath(), userEntry());

    login.setEnabled(true);
    EXPECT_TRUE(login.isEnabled());
    EXPECT_EQ(readFile(userEntry()),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Corvane\n"
              "Comment=Place the focused window on a grid\n"
              "Exec=/opt/corvane/bin/corvane\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(filesIn(userEntry().parent_path()), 1u) << "no temporary file is left behind";

    login.setEnabled(false);
    EXPECT_FALSE(login.isEnabled());
    EXPECT_FALSE(fs::exists(userEntry()));
    login.setEnabled(false);  // already off: nothing to do, no error
}

TEST_F(XdgAutostartTest, AnEntryTheUserHidOrChangedIsRespected) {
    writeEntry(userEntry(),
               "[Desktop Entry]\nType=Application\nExec=corvane --show\nHidden = true\n");
    XdgAutostart login(options());
    EXPECT_FALSE(login.isEnabled());

    // Switching on replaces the hidden entry with one that starts Corvane.
    login.setEnabled(true);
    EXPECT_TRUE(login.isEnabled());
    EXPECT_NE(readFile(userEntry()).find("Exec=/opt/corvane/bin/corvane\n"), std::string::npos);

    // An entry that is on already keeps the user's own command.
    const std::string custom = "[Desktop Entry]\nType=Application\nExec=corvane --show\n";
    writeFile(userEntry(), custom);
    login.setEnabled(true);
    EXPECT_EQ(readFile(userEntry()), custom);
}

TEST_F(XdgAutostartTest, ASystemEntryIsHiddenRatherThanLeftToStartCorvane) {
    writeEntry(systemEntry(), "[Desktop Entry]\nType=Application\nExec=/usr/bin/corvane\n");
    XdgAutostart login(options());
    EXPECT_TRUE(login.isEnabled()) << "the system's entry starts Corvane";

    login.setEnabled(false);
    EXPECT_FALSE(login.isEnabled());
    EXPECT_TRUE(fs::exists(systemEntry())) << "the system's file is not touched";
    EXPECT_TRUE(XdgAutostart::entryEnables(readFile(systemEntry())));
    EXPECT_FALSE(XdgAutostart::entryEnables(readFile(userEntry())));

    login.setEnabled(true);
    EXPECT_TRUE(login.isEnabled());

    // The first system folder with an entry decides; a hidden one there wins.
    writeEntry(systemEntry("xdg-a"), "[Desktop Entry]\nHidden=true\n");
    fs::remove(userEntry());
    EXPECT_FALSE(XdgAutostart(options()).isEnabled());
}

TEST_F(XdgAutostartTest, OnlyHiddenTrueInTheMainGroupSwitchesAnEntryOff) {
    EXPECT_TRUE(XdgAutostart::entryEnables("[Desktop Entry]\nExec=corvane\n"));
    EXPECT_TRUE(XdgAutostart::entryEnables("[Desktop Entry]\nHidden=false\n"));
    EXPECT_TRUE(XdgAutostart::entryEnables("[Desktop Entry]\n# Hidden=true\n"));
    EXPECT_TRUE(
        XdgAutostart::entryEnables("[Desktop Entry]\nExec=a\n[Desktop Action x]\nHidden=true\n"));
    EXPECT_TRUE(XdgAutostart::entryEnables("[Desktop Entry]\nNoHidden=true\n"));
    EXPECT_FALSE(XdgAutostart::entryEnables("[Desktop Entry]\r\nHidden=true\r\n"));
    EXPECT_FALSE(XdgAutostart::entryEnables("  [Desktop Entry]\n  Hidden  =  true  \n"));
}

TEST_F(XdgAutostartTest, ProgramPathsAreQuotedAndEscapedForTheExecKey) {
    EXPECT_EQ(XdgAutostart::execArgument("/usr/bin/corvane"), "/usr/bin/corvane");
    EXPECT_EQ(XdgAutostart::execArgument("/home/ann/My Apps/corvane"),
              "\"/home/ann/My Apps/corvane\"");
    // Quoting escapes " ` $ \ with a backslash; the value escapes every backslash once more.
    EXPECT_EQ(XdgAutostart::execArgument("/a\"b"), "\"/a\\\\\"b\"");
    EXPECT_EQ(XdgAutostart::execArgument("/a$b"), "\"/a\\\\$b\"");
    EXPECT_EQ(XdgAutostart::execArgument("/a\\b"), "\"/a\\\\\\\\b\"");
    EXPECT_EQ(XdgAutostart::execArgument("/a`b"), "\"/a\\\\`b\"");
    // Field codes: a literal percent sign is doubled; line breaks never end the value.
    EXPECT_EQ(XdgAutostart::execArgument("/100%/corvane"), "/100%%/corvane");
    EXPECT_EQ(XdgAutostart::execArgument("/a\nb"), "\"/a\\nb\"");

    XdgAutostart::Options spaced = options();
    spaced.executable = dir / "My Apps" / "corvane";
    XdgAutostart login(spaced);
    login.setEnabled(true);
    EXPECT_NE(readFile(userEntry()).find("Exec=\"" + spaced.executable.string() + "\"\n"),
              std::string::npos);
}

TEST_F(XdgAutostartTest, FailuresAreDescribedAndChangeNothing) {
    // The config folder is a file: the autostart folder cannot be made.
    writeFile(dir / "config", "not a folder");
    XdgAutostart blocked(options());
    try {
        blocked.setEnabled(true);
        FAIL() << "expected an error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("The autostart entry could not be written (", 0),
                  0u)
            << error.what();
    }
    EXPECT_EQ(readFile(dir / "config"), "not a folder");

    XdgAutostart::Options homeless = options();
    homeless.configHome.reset();
    XdgAutostart nowhere(homeless);
    EXPECT_FALSE(nowhere.isEnabled());
    EXPECT_THROW(nowhere.setEnabled(true), std::runtime_error);
    nowhere.setEnabled(false);  // nothing could start Corvane: nothing to do

    XdgAutostart::Options lost = options();
    lost.executable.clear();
    EXPECT_THROW(XdgAutostart(lost).setEnabled(true), std::runtime_error);
    EXPECT_FALSE(fs::exists(userEntry()));
}

TEST(XdgAutostartEnvironmentTest, TheEnvironmentNamesTheFoldersAndThisProgram) {
    const XdgAutostart::Options options = XdgAutostart::optionsFromEnvironment();
    ASSERT_TRUE(options.configHome);
    EXPECT_TRUE(options.configHome->is_absolute());
    EXPECT_FALSE(options.configDirs.empty());
    EXPECT_TRUE(options.executable.is_absolute());
    EXPECT_EQ(options.executable.filename(), "platform_tests");
}

}  // namespace
}  // namespace corvane::platform
