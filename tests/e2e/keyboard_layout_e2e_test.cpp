// The grid under German and French keyboard layouts on a real desktop: the
// panel's command keys are the keys that type their characters, each layout
// tile shows what its key types now, and a layout key is the key that types
// what its tile shows.
#include <gtest/gtest.h>

#include <cmath>

#include "core/tile_geometry.h"
#include "tests/e2e/grid_session.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using e2e::Box;

SavedLayout gridLayout(std::string name, TileRegion region, KeyCombo key) {
    SavedLayout layout;
    layout.name = std::move(name);
    layout.region = region;
    layout.shortcut = std::move(key);
    return layout;
}

// Where a region of the only monitor lands, below the dock's 25 pixels.
Box frameOf(const TileRegion& region) {
    const Rect f = TileGeometry::frame(region, Rect{0, 25, 1440, 875}, Margins{});
    return {int(std::lround(f.x)), int(std::lround(f.y)), int(std::lround(f.width)),
            int(std::lround(f.height))};
}

TEST(KeyboardLayoutE2E, UnderGermanAndFrenchLayoutsTheKeysDoWhatTheirLabelsSay) {
    e2e::Desktop desktop;
    auto useLayout = [&](const std::string& name) {
        ASSERT_EQ(desktop.run({"setxkbmap", "-display", desktop.display(), name}), 0);
    };
    ASSERT_NO_FATAL_FAILURE(useLayout("de"));
    // Recorded on a US keyboard: the keys labelled M, ";" and Z there.
    AppSettings settings;
    settings.animateWindows = false;
    const TileRegion full{0, 0, 1, 1}, left{0, 0, 0.5, 1}, top{0, 0, 1, 0.5};
    settings.layouts = {gridLayout("Max", full, KeyCombo{46, 0, "M"}),
                        gridLayout("Left", left, KeyCombo{41, 0, ";"}),
                        gridLayout("Top", top, KeyCombo{6, KeyCombo::ctrl | KeyCombo::alt, "Z"})};
    e2e::CorvaneSession session(desktop, settings);  // stopped before the desktop
    std::string why;
    ASSERT_TRUE(session.start(&why)) << why;
    const e2e::ProbeWindow probe = desktop.startProbe();
    const Box start = e2e::outerFrame(desktop, probe.window);
    auto openGrid = [&] {
        e2e::pressKeys(desktop, "ctrl+alt+super+t");
        ASSERT_TRUE(
            e2e::waitUntil([&] { return session.panels().size() == 1 && session.isActive(); }, 5s))
            << session.log();
    };
    auto probeReaches = [&](const Box& frame) {
        return e2e::waitUntil([&] { return e2e::outerFrame(desktop, probe.window) == frame; }, 5s);
    };
    auto logShows = [&](const std::string& text) {
        return e2e::waitUntil([&] { return session.log().find(text) != std::string::npos; }, 5s);
    };

    // German: Z and Y swapped, Ö where US keyboards have ";".
    ASSERT_NO_FATAL_FAILURE(openGrid());
    EXPECT_TRUE(logShows("Layout tiles: \"Max\" M; \"Left\" \u00d6; \"Top\" Ctrl+Alt+Y;"))
        << session.log();
    e2e::pressKeys(desktop, "Return");  // the first cell
    ASSERT_TRUE(e2e::waitUntil([&] { return e2e::outerFrame(desktop, probe.window) != start; }, 5s))
        << session.log();
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return session.panels().empty() && desktop.activeWindow() == probe.window; }, 5s));
    ASSERT_NO_FATAL_FAILURE(openGrid());
    e2e::pressKeys(desktop, "ctrl+z");  // the key that types z
    EXPECT_TRUE(probeReaches(start)) << "Ctrl+Z undoes\n" << session.log();
    EXPECT_TRUE(session.isActive()) << "undo leaves the grid open";

    // French, switched while the grid is open: the tiles follow at once.
    ASSERT_NO_FATAL_FAILURE(useLayout("fr"));
    EXPECT_TRUE(logShows("Layout tiles: \"Max\" ,; \"Left\" M; \"Top\" Ctrl+Alt+W;"))
        << session.log();
    const e2e::Outcome listing = session.run({"--list-layouts"});
    EXPECT_NE(listing.out.find("Left\tM\tgrid only\n"), std::string::npos) << listing.out;
    e2e::pressKeys(desktop, "m");  // the key that types m applies the tile showing M
    EXPECT_TRUE(probeReaches(frameOf(left))) << session.log();
}

}  // namespace
}  // namespace corvane
