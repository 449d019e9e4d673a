#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "app/panel/panel_host.h"
#include "core/rect.h"
#include "platform/desktop_shell.h"

namespace corvane::testing {

inline std::string describeRegion(const std::optional<TileRegion>& region) {
    if (!region) return "none";
    return describe(Rect{region->x, region->y, region->width, region->height});
}

// The application as a panel sees it: state the test sets, and a log of every
// action the panel asks for, in order ("preview DP-1 none", "apply DP-1 (…) shift").
class FakePanelHost : public PanelHost {
public:
    FakePanelHost() {
        settings_.layouts.clear();
        target_ = WindowTarget{0x400001, platform::AppRef{4242, "FakeTermClass", "Fake Term"},
                               "~/src: make test"};
    }

    // State.
    AppSettings settings_;
    GridSize grid_{6, 4};
    bool subdivided_ = false;
    std::optional<WindowTarget> target_;
    std::optional<platform::IconImage> icon_;
    bool permission_ = true;
    std::optional<std::string> message_;
    bool messageIsError_ = false;
    bool canUndo_ = false;
    bool applying_ = false;
    std::size_t displays_ = 1;
    bool diagnostics_ = false;

    // What the panel asked for.
    std::vector<std::string> log;
    std::vector<std::string> diagnosticLines;
    std::vector<SavedLayout> appliedLayouts;

    const AppSettings& settings() const override { return settings_; }
    GridSize activeGrid() const override { return grid_; }
    bool subdivided() const override { return subdivided_; }
    const std::optional<WindowTarget>& target() const override { return target_; }
    std::optional<platform::IconImage> targetIcon(int) const override { return icon_; }
    bool permissionGranted() const override { return permission_; }
    const std::optional<std::string>& message() const override { return message_; }
    bool messageIsError() const override { return messageIsError_; }
    bool canUndo() const override { return canUndo_; }
    bool isApplying() const override { return applying_; }
    std::size_t displayCount() const override { return displays_; }
    bool diagnosticsEnabled() const override { return diagnostics_; }
    void diagnostic(const std::string& line) override { diagnosticLines.push_back(line); }

    void showSettings() override { log.push_back("showSettings"); }
    void closePanels(bool restoreFocus) override {
        log.push_back(restoreFocus ? "close restoring focus" : "close");
    }
    void changeGrid(int columnDelta, int rowDelta) override {
        log.push_back("changeGrid " + std::to_string(columnDelta) + " " + std::to_string(rowDelta));
    }
    void toggleSubdivision() override { log.push_back("toggleSubdivision"); }
    void updatePreview(const std::optional<TileRegion>& region,
                       const platform::Display& display) override {
        log.push_back("preview " + display.name + " " + describeRegion(region));
    }
    void applyRegion(const TileRegion& region, const platform::Display& display,
                     bool shiftHeld) override {
        log.push_back("apply " + display.name + " " + describeRegion(region) +
                      (shiftHeld ? " shift" : ""));
    }
    void applyLayout(const SavedLayout& layout,
                     const std::optional<platform::Display>& display) override {
        appliedLayouts.push_back(layout);
        log.push_back("applyLayout " + layout.name + " on " + (display ? display->name : "-"));
    }
    void undoLastPlacement() override { log.push_back("undo"); }
    void moveToNextDisplay() override { log.push_back("nextDisplay"); }
    void saveSelectionAsLayout(const TileRegion& region) override {
        log.push_back("saveLayout " + describeRegion(region));
    }
    void openAccessibilitySettings() override { log.push_back("learnMore"); }
    void checkPermission() override { log.push_back("checkPermission"); }
};

// Records what the panels and the overlay ask of the desktop.
class RecordingShell : public platform::DesktopShell {
public:
    std::vector<platform::WindowId> keptOnAllWorkspaces;

    void keepOnAllWorkspaces(platform::WindowId window) override {
        keptOnAllWorkspaces.push_back(window);
    }
    void takeKeyboard(platform::WindowId) override {}
    void activate(platform::WindowId) override {}
    platform::WindowId activeOwnWindow() override { return 0; }
};

inline platform::Display testDisplay(const std::string& name = "DP-1") {
    return platform::Display{name, Rect{0, 0, 1920, 1080}, Rect{0, 32, 1920, 1048}};
}

inline SavedLayout layoutNamed(const std::string& name, TileRegion region,
                               std::optional<KeyCombo> shortcut = std::nullopt,
                               bool enabled = true) {
    SavedLayout layout;
    layout.name = name;
    layout.region = region;
    layout.shortcut = shortcut;
    layout.enabled = enabled;
    return layout;
}

}  // namespace corvane::testing
