#include <QLocale>
#include <QSpinBox>

#include "app/panel/grid_panel_view.h"
#include "app/panel/tile_grid.h"
#include "app/settings_window/spacing_preview.h"
#include "app/settings_window/tests/settings_window_fixture.h"

namespace corvane::testing {
namespace {

const QString outOfRange =
    QStringLiteral("Grid sizes must be 1\u201320; margins must be 0\u2013300.");

using GridSpacingTabTest = SettingsWindowTest;

// The user's locale for one test.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

TEST_F(GridSpacingTabTest, AMarginOutOfRangeIsRefusedAndTheOldValueComesBack) {
    open([](AppSettings& s) { s.margins.enabled = true; });
    const std::string file = storedFile();
    QLineEdit* left = named<QLineEdit>(QStringLiteral("Left edge"));
    ASSERT_TRUE(left);
    EXPECT_EQ(left->text(), QStringLiteral("10"));

    type(QStringLiteral("Left edge"), QStringLiteral("301"));
    EXPECT_EQ(window->bannerText(), outOfRange);
    EXPECT_EQ(left->text(), QStringLiteral("10"));
    EXPECT_EQ(controller->settings().margins.left, 10);
    EXPECT_EQ(storedFile(), file);

    type(QStringLiteral("Left edge"), QStringLiteral("-1"));
    EXPECT_EQ(window->bannerText(), outOfRange) << "below the range as well";
    EXPECT_EQ(left->text(), QStringLiteral("10"));

    type(QStringLiteral("Left edge"), QStringLiteral("300"));
    EXPECT_TRUE(window->bannerText().isEmpty());
    EXPECT_EQ(SettingsStore(dir.path()).load().margins.left, 300);
}

TEST_F(GridSpacingTabTest, SpacingIsReadAndShownInTheUsersLocale) {
    const LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    open();
    type(QStringLiteral("Top edge"), QStringLiteral("12,5"));
    EXPECT_EQ(controller->settings().margins.top, 12.5);
    EXPECT_EQ(named<QLineEdit>(QStringLiteral("Top edge"))->text(), QStringLiteral("12,5"));

    // Letters never get in; an emptied field shows the stored value once left.
    QLineEdit* gap = named<QLineEdit>(QStringLiteral("Horizontal gap"));
    type(QStringLiteral("Horizontal gap"), QStringLiteral("abc"));
    EXPECT_EQ(controller->settings().margins.horizontalGap, 10);
    gap->setFocus();
    gap->clear();
    gap->clearFocus();
    QFocusEvent leave(QEvent::FocusOut);
    QCoreApplication::sendEvent(gap, &leave);
    EXPECT_EQ(gap->text(), QStringLiteral("10"));
    EXPECT_EQ(controller->settings().margins.horizontalGap, 10);
}

TEST_F(GridSpacingTabTest, TheGridSteppersStopAtOneAndTwentyAndReachThePanels) {
    open();
    QSpinBox* columns = named<QSpinBox>(QStringLiteral("Columns: 6"));
    ASSERT_TRUE(columns && named<QSpinBox>(QStringLiteral("Rows: 6")));
    EXPECT_EQ(columns->minimum(), 1);
    EXPECT_EQ(columns->maximum(), 20);

    controller->showPanels();
    columns->stepBy(2);
    EXPECT_EQ(columns->accessibleName(), QStringLiteral("Columns: 8"));
    EXPECT_EQ(SettingsStore(dir.path()).load().grid, (GridSize{8, 6}));
    EXPECT_EQ(controller->grid(), (GridSize{8, 6}));
    ASSERT_FALSE(controller->panels().empty());
    EXPECT_EQ(panel(0)->view()->tileGrid()->grid(), (GridSize{8, 6})) << "the open grid follows";

    columns->stepBy(100);
    EXPECT_EQ(controller->settings().grid.columns, 20);
    columns->stepBy(1);
    EXPECT_EQ(controller->settings().grid.columns, 20);
    columns->stepBy(-100);
    EXPECT_EQ(controller->settings().grid.columns, 1);
    EXPECT_EQ(SettingsStore(dir.path()).load().grid, (GridSize{1, 6}));
}

TEST_F(GridSpacingTabTest, ThePreviewPlacesTwoWindowsAsRealOnesWouldBe) {
    Margins margins;
    margins.enabled = false;
    EXPECT_EQ(SpacingPreview::framesFor(margins)[0], (Rect{0, 0, 600, 700}));
    EXPECT_EQ(SpacingPreview::framesFor(margins)[1], (Rect{600, 0, 600, 700}));
    margins.enabled = true;
    EXPECT_EQ(SpacingPreview::framesFor(margins)[0], (Rect{10, 10, 585, 680}));
    EXPECT_EQ(SpacingPreview::framesFor(margins)[1], (Rect{605, 10, 585, 680}));

    open();
    auto* preview =
        named<SpacingPreview>(QStringLiteral("Preview of two windows using the current margins"));
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->frames()[0], (Rect{0, 0, 600, 700}));
    named<QCheckBox>(QStringLiteral("Use margins and gaps"))->click();
    EXPECT_TRUE(SettingsStore(dir.path()).load().margins.enabled);
    EXPECT_EQ(preview->frames()[1], (Rect{605, 10, 585, 680}));
    type(QStringLiteral("Horizontal gap"), QStringLiteral("30"));
    EXPECT_EQ(preview->frames()[1], (Rect{615, 10, 575, 680})) << "the gap is shared by both";
}

TEST_F(GridSpacingTabTest, AdvancedSwitchesAreSaved) {
    open();
    named<QCheckBox>(QStringLiteral("Reset to this grid each time the panel opens"))->click();
    named<QCheckBox>(QStringLiteral("Show the window placement preview"))->click();
    named<QCheckBox>(QStringLiteral("Animate the preview"))->click();
    const AppSettings stored = SettingsStore(dir.path()).load();
    EXPECT_FALSE(stored.resetGridOnOpen);
    EXPECT_FALSE(stored.showPreview);
    EXPECT_FALSE(stored.animatePreview);
    EXPECT_EQ(stored, controller->settings());
}

}  // namespace
}  // namespace corvane::testing
