// Starting at login through an XDG autostart entry, without overriding what
// the user or the system decided.
#include "platform/autostart/xdg_autostart.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/testing/temp_dir.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

struct XdgAutostartTest : ::testing::Test {
    testing::TempDir dir;
    XdgAutostart::Options options{.configHome = dir / "config",
                                  .configDirs = {dir / "xdg-a", dir / "xdg-b"},
                                  .executable = "/opt/corvane/bin/corvane"};
    fs::path userEntry = dir / "config" / "autostart" / "corvane.desktop";
    fs::path entryIn(const char* folder, const std::string& text) {
        fs::path file = dir / folder / "autostart" / "corvane.desktop";
        fs::create_directories(file.parent_path());
        writeFile(file, text);
        return file;
    }
};

TEST_F(XdgAutostartTest, SwitchingOnWritesAnEntryAndOffRemovesOrHidesIt) {
    XdgAutostart login(options);
    EXPECT_FALSE(login.isEnabled());
    login.setEnabled(true);
    EXPECT_TRUE(login.isEnabled());
    EXPECT_EQ(readFile(userEntry),
              "[Desktop Entry]\nType=Application\nName=Corvane\n"
              "Comment=Place the focused window on a grid\nIcon=corvane\n"
              "Exec=/opt/corvane/bin/corvane\n"
              "Terminal=false\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(testing::namesIn(userEntry.parent_path()),
              std::vector<std::string>{"corvane.desktop"});
    login.setEnabled(false);
    EXPECT_FALSE(fs::exists(userEntry));

    // The user's hidden entry is replaced.
    entryIn("config", "[Desktop Entry]\nExec=corvane --show\nHidden = true\n");
    EXPECT_FALSE(login.isEnabled());
    login.setEnabled(true);
    EXPECT_NE(readFile(userEntry).find("Exec=/opt/corvane/bin/corvane\n"), std::string::npos);
    writeFile(userEntry, "[Desktop Entry]\nExec=corvane --show\n");  // on: the user's command stays
    login.setEnabled(true);
    EXPECT_EQ(readFile(userEntry), "[Desktop Entry]\nExec=corvane --show\n");

    // A system entry is hidden by the user's, never touched.
    fs::remove(userEntry);
    const fs::path system = entryIn("xdg-b", "[Desktop Entry]\nExec=/usr/bin/corvane\n");
    EXPECT_TRUE(login.isEnabled());
    login.setEnabled(false);
    EXPECT_FALSE(login.isEnabled());
    EXPECT_EQ(readFile(system), "[Desktop Entry]\nExec=/usr/bin/corvane\n");
    // The first system folder with an entry decides.
    fs::remove(userEntry);
    entryIn("xdg-a", "[Desktop Entry]\nHidden=true\n");
    EXPECT_FALSE(login.isEnabled());
}

TEST(XdgAutostart, OnlyHiddenTrueInTheMainGroupSwitchesOffAndPathsAreEscaped) {
    EXPECT_TRUE(XdgAutostart::entryEnables("[Desktop Entry]\n# Hidden=true\n"));
    EXPECT_TRUE(XdgAutostart::entryEnables("[Desktop Entry]\n[Desktop Action x]\nHidden=true\n"));
    EXPECT_FALSE(XdgAutostart::entryEnables("  [Desktop Entry]\r\n  Hidden  =  true  \r\n"));
    // Quoting escapes " ` $ \ with a backslash; the value escapes every backslash once more.
    EXPECT_EQ(XdgAutostart::execArgument("/home/ann/My Apps/a\"b"),
              "\"/home/ann/My Apps/a\\\\\"b\"");
    EXPECT_EQ(XdgAutostart::execArgument("/100%/a\\b"), "\"/100%%/a\\\\\\\\b\"");
}

TEST_F(XdgAutostartTest, AProgramReplacedWhileRunningIsStartedFromItsInstalledPath) {
    // After a package upgrade /proc/self/exe reads "/usr/bin/corvane (deleted)".
    EXPECT_EQ(XdgAutostart::programPath(dir / "bin" / "corvane (deleted)"),
              dir / "bin" / "corvane");
    EXPECT_EQ(XdgAutostart::programPath("/usr/bin/corvane"), fs::path("/usr/bin/corvane"));
    // A program really named so keeps its name.
    writeFile(dir / "odd (deleted)", "");
    EXPECT_EQ(XdgAutostart::programPath(dir / "odd (deleted)"), dir / "odd (deleted)");
}

TEST_F(XdgAutostartTest, FailuresAreDescribedAndChangeNothing) {
    writeFile(dir / "config", "not a folder");
    try {
        XdgAutostart(options).setEnabled(true);
        ADD_FAILURE() << "expected an error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("The autostart entry could not be written (", 0),
                  0u)
            << error.what();
    }
    EXPECT_EQ(readFile(dir / "config"), "not a folder");
}

}  // namespace
}  // namespace corvane::platform
