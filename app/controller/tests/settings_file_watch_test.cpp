// settings.json edited by hand while Corvane runs: taken at once when valid,
// refused with its reason when not, and never lost to a save from Corvane.
#include "app/controller/settings_file_watch.h"

#include <QTest>

#include "app/controller/settings_actions.h"
#include "app/controller/tests/controller_fixture.h"
#include "core/settings/settings_codec.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;
using Outcome = SettingsFileWatch::Outcome;

constexpr std::uint32_t ctrlAlt = KeyCombo::ctrl | KeyCombo::alt;
const char* const kBlocked =
    "Back up the original settings file before replacing it, then restart Corvane.";
const char* const kRefused =
    "The edited settings file was refused; the settings in use are unchanged. ";

class SettingsFileWatchTest : public ControllerTest {
protected:
    // A running controller over stored defaults that records every look at the file.
    AppController& started() {
        saveSettings(AppSettings{});
        AppController& c = make();
        QObject::connect(&c.settingsFileWatch(), &SettingsFileWatch::checked,
                         [this](Outcome outcome) { outcomes.push_back(outcome); });
        c.start();
        return c;
    }

    // Waits for the watcher's next look at the file; none within five seconds fails.
    std::optional<Outcome> nextCheck() {
        const std::size_t before = outcomes.size();
        if (!QTest::qWaitFor([&] { return outcomes.size() > before; })) return std::nullopt;
        return outcomes.back();
    }

    bool waitForSettings(const AppSettings& wanted) {
        return QTest::qWaitFor([&] { return controller->settings() == wanted; });
    }

    // Defaults with one more global layout on Ctrl+Alt and `key` (A, B or C).
    static AppSettings withLayout(const std::string& name, const std::string& key) {
        const std::uint16_t code = key == "A" ? 0 : key == "B" ? 11 : 8;
        AppSettings settings;
        settings.layouts.push_back(
            layoutOf(name, TileRegion{0, 0, 0.5, 1}, KeyCombo{code, ctrlAlt, key}, true));
        return settings;
    }

    fs::path file() const { return dir / "settings.json"; }
    std::vector<Outcome> outcomes;
};

TEST_F(SettingsFileWatchTest, AValidEditIsTakenAndAnInvalidOneIsRefusedUntilFixed) {
    AppController& c = started();
    AppSettings edited = withLayout("Left", "A");
    edited.grid = GridSize{8, 5};
    writeFile(file(), SettingsCodec::encode(edited));
    ASSERT_TRUE(waitForSettings(edited));
    EXPECT_EQ(c.grid(), (GridSize{8, 5}));
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));

    const std::string broken = "{ \"version\": 1, ";
    writeFile(file(), broken);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.settingsError().has_value(); }));
    EXPECT_EQ(*c.settingsError(),
              std::string(kRefused) + "The settings file is not valid JSON (line 1, column 17).");
    EXPECT_EQ(c.settingsFileProblem(), c.settingsError());
    EXPECT_EQ(c.settings(), edited);
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));

    // Corvane holds no copy of the refused file, so it must not write over it.
    SavedLayout another = layoutOf("Right", TileRegion{0.5, 0, 0.5, 1}, std::nullopt, false);
    EXPECT_FALSE(c.settingsActions().saveLayout(another));
    EXPECT_EQ(c.settingsError(), std::string(kBlocked));
    EXPECT_EQ(readFile(file()), broken);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"settings.json", "state.ini"}));

    const AppSettings fixed = withLayout("Left half", "B");
    writeFile(file(), SettingsCodec::encode(fixed));
    ASSERT_TRUE(waitForSettings(fixed));
    EXPECT_FALSE(c.settingsError() || c.settingsFileProblem());
    EXPECT_FALSE(grabber.isGrabbed(0, ctrlAlt));
    EXPECT_TRUE(grabber.isGrabbed(11, ctrlAlt));
    EXPECT_TRUE(c.settingsActions().saveLayout(another));
    EXPECT_EQ(SettingsCodec::load(file()).layouts.back(), another);
}

TEST_F(SettingsFileWatchTest, AnEditorsWriteAndRenameIsFollowedAndSoAreLaterEdits) {
    AppController& c = started();
    const AppSettings renamed = withLayout("Renamed in", "A");
    writeFile(dir / "settings.json.tmp", SettingsCodec::encode(renamed));
    fs::rename(dir / "settings.json.tmp", file());
    ASSERT_TRUE(waitForSettings(renamed));

    // The file now is another file than the one first watched.
    const AppSettings inPlace = withLayout("Written in place", "B");
    writeFile(file(), SettingsCodec::encode(inPlace));
    ASSERT_TRUE(waitForSettings(inPlace));

    // A deleted file leaves the settings as they are and is not written again by itself.
    fs::remove(file());
    EXPECT_EQ(nextCheck(), Outcome::missing);
    EXPECT_EQ(c.settings(), inPlace);
    EXPECT_FALSE(fs::exists(file()));
    const AppSettings recreated = withLayout("Recreated", "C");
    writeFile(file(), SettingsCodec::encode(recreated));
    ASSERT_TRUE(waitForSettings(recreated));
}

TEST_F(SettingsFileWatchTest, ASettingsFolderThatAppearsLaterIsWatched) {
    AppController& c = make();
    c.start();
    // The settings folder goes away and is made again: the watch follows it.
    fs::remove_all(dir.path());
    spin(SettingsFileWatch::settleMilliseconds * 2);
    fs::create_directories(dir.path());
    spin(SettingsFileWatch::settleMilliseconds * 2);
    const AppSettings created = withLayout("Created", "A");
    writeFile(file(), SettingsCodec::encode(created));
    ASSERT_TRUE(waitForSettings(created));
}

TEST_F(SettingsFileWatchTest, CorvanesOwnSavesAreNotTakenForOutsideChanges) {
    AppController& c = started();
    c.changeGrid(1, 1);  // the live grid; taking the file in again would reset it
    EXPECT_TRUE(c.settingsActions().saveLayout(
        layoutOf("Saved", TileRegion{0, 0, 1, 0.5}, std::nullopt, false)));
    EXPECT_EQ(nextCheck(), Outcome::unchanged);
    EXPECT_EQ(c.grid(), (GridSize{7, 7}));
    EXPECT_FALSE(c.settingsError());
}

TEST_F(SettingsFileWatchTest, ASaveRacingAHandEditKeepsTheHandEdit) {
    saveSettings(AppSettings{});
    AppController& c = make();  // not watching: the save itself notices
    const AppSettings handEdit = withLayout("By hand", "A");
    const std::string handBytes = SettingsCodec::encode(handEdit);
    writeFile(file(), handBytes);
    const SavedLayout mine = layoutOf("Mine", TileRegion{0, 0, 1, 0.5}, std::nullopt, false);
    EXPECT_FALSE(c.settingsActions().saveLayout(mine));
    EXPECT_EQ(c.settingsError(),
              std::string("The settings file was changed outside Corvane. Its new contents are "
                          "shown now; make your change again."));
    EXPECT_EQ(c.settings(), handEdit);
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));
    EXPECT_EQ(readFile(file()), handBytes);

    EXPECT_TRUE(c.settingsActions().saveLayout(mine));
    const AppSettings stored = SettingsCodec::load(file());
    ASSERT_EQ(stored.layouts.size(), handEdit.layouts.size() + 1);
    EXPECT_EQ(stored.layouts.end()[-2].name, "By hand");
    EXPECT_EQ(stored.layouts.back(), mine);

    // An import racing a hand edit is refused the same way.
    c.settingsActions().exportSettings(dir / "export.json");
    writeFile(file(), handBytes);
    c.settingsActions().importSettings(dir / "export.json");
    EXPECT_EQ(c.settingsError().value_or("").rfind(
                  "Import failed: The settings file was changed outside Corvane.", 0),
              0u);
    EXPECT_EQ(c.settings(), handEdit);
}

}  // namespace
}  // namespace corvane::testing
