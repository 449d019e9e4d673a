#include "app/panel/desktop_entry_icon.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/panel/tests/qt_printers.h"

namespace corvane {
namespace {

class DesktopEntryIconTest : public ::testing::Test {
protected:
    void write(const QString& dir, const QString& name, const QByteArray& text) {
        QDir().mkpath(dir);
        QFile file(dir + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QString user() const { return root.path() + QStringLiteral("/user/applications"); }
    QString system() const { return root.path() + QStringLiteral("/system/applications"); }
    std::optional<QString> lookup(const QString& wmClass) const {
        return desktopEntryIconName(wmClass, {user(), system()});
    }

    void SetUp() override {
        write(system(), "org.example.Editor.desktop",
              "[Desktop Entry]\nName=Editor\nIcon=example-editor\nStartupWMClass=ExampleEdit\n"
              "\n[Desktop Action new-window]\nIcon=wrong-icon\n");
        write(system(), "viewer.desktop", "[Desktop Entry]\n# Icon=commented\nIcon = viewer\n");
        write(system(), "ghost.desktop",
              "[Desktop Entry]\nHidden=true\nStartupWMClass=Ghost\nIcon=ghost\n");
        write(system() + "/kde", "nested.desktop", "[Desktop Entry]\nIcon=/opt/nested.png\n");
        write(system(), "noicon.desktop", "[Desktop Entry]\nName=No icon\n");
        // The user's own entry overrides the system one.
        write(user(), "viewer.desktop", "[Desktop Entry]\nIcon=my-viewer\n");
    }

    QTemporaryDir root;
};

TEST_F(DesktopEntryIconTest, FindsTheEntryThatNamesTheWindowClass) {
    EXPECT_EQ(lookup("exampleedit"), QString("example-editor"));
    EXPECT_EQ(lookup("ExampleEdit"), QString("example-editor"));
}

TEST_F(DesktopEntryIconTest, FallsBackToTheFileName) {
    EXPECT_EQ(lookup("org.example.Editor"), QString("example-editor"));
    EXPECT_EQ(lookup("editor"), QString("example-editor"));
    EXPECT_EQ(lookup("nested"), QString("/opt/nested.png"));
}

TEST_F(DesktopEntryIconTest, EarlierFoldersWin) {
    EXPECT_EQ(lookup("Viewer"), QString("my-viewer"));
}

TEST_F(DesktopEntryIconTest, HiddenEmptyAndUnknownEntriesGiveNothing) {
    EXPECT_FALSE(lookup("Ghost"));
    EXPECT_FALSE(lookup("noicon"));
    EXPECT_FALSE(lookup("nothing-like-it"));
    EXPECT_FALSE(lookup(""));
}

}  // namespace
}  // namespace corvane
