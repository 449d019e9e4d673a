#pragma once

#include <QColor>
#include <QRect>
#include <QRectF>
#include <QString>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/panel/panel_host.h"
#include "core/rect.h"

// Readable gtest failure messages for the Qt values the panel tests compare.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
inline void PrintTo(const QRectF& r, std::ostream* out) {
    *out << "QRectF(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
inline void PrintTo(const QColor& c, std::ostream* out) {
    *out << "rgba(" << c.red() << ", " << c.green() << ", " << c.blue() << ", " << c.alpha() << ")";
}

namespace corvane::testing {

// Exact, so two regions that print alike are alike.
inline std::string describeRegion(const std::optional<TileRegion>& region) {
    if (!region) return "none";
    return describe(Rect{region->x, region->y, region->width, region->height});
}

// The application as a panel sees it: state the test sets, and a log of every
// action the panel asks for, in order ("preview DP-1 none", "apply DP-1 (…) shift").
class FakePanelHost : public PanelHost {
public:
    AppSettings settings_;
    GridSize grid_{6, 4};
    bool subdivided_ = false;
    std::optional<WindowTarget> target_ = WindowTarget{
        0x400001, platform::AppRef{4242, "FakeTermClass", "Fake Term"}, "~/src: make test"};
    std::optional<platform::IconImage> icon_;
    bool permission_ = true;
    std::optional<std::string> message_;
    bool messageIsError_ = false;
    bool canUndo_ = false;
    bool applying_ = false;
    std::size_t displays_ = 1;
    bool diagnostics_ = false;
    // What the current keyboard layout types on a key position, where it differs.
    std::map<std::uint16_t, std::string> keyLabels_;
    std::vector<std::string> log, diagnosticLines;

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
    std::string shownShortcut(const KeyCombo& combo) const override {
        KeyCombo shown = combo;
        if (const auto label = keyLabels_.find(combo.keyCode); label != keyLabels_.end())
            shown.key = label->second;
        return shown.displayString();
    }
    bool diagnosticsEnabled() const override { return diagnostics_; }
    void diagnostic(const std::string& line) override { diagnosticLines.push_back(line); }

    void showSettings() override { log.push_back("showSettings"); }
    void closePanels(bool r) override { log.push_back(r ? "close restoring focus" : "close"); }
    void changeGrid(int dx, int dy) override {
        log.push_back("changeGrid " + std::to_string(dx) + " " + std::to_string(dy));
    }
    void toggleSubdivision() override { log.push_back("toggleSubdivision"); }
    void updatePreview(const std::optional<TileRegion>& r, const platform::Display& d) override {
        log.push_back("preview " + d.name + " " + describeRegion(r));
    }
    void applyRegion(const TileRegion& r, const platform::Display& d, bool shift) override {
        log.push_back("apply " + d.name + " " + describeRegion(r) + (shift ? " shift" : ""));
    }
    void applyLayout(const SavedLayout& l, const std::optional<platform::Display>& d) override {
        log.push_back("applyLayout " + l.name + " on " + (d ? d->name : "-"));
    }
    void undoLastPlacement() override { log.push_back("undo"); }
    void moveToNextDisplay() override { log.push_back("nextDisplay"); }
    void saveSelectionAsLayout(const TileRegion& r) override {
        log.push_back("saveLayout " + describeRegion(r));
    }
    void openAccessibilitySettings() override { log.push_back("learnMore"); }
    void checkPermission() override { log.push_back("checkPermission"); }
};

}  // namespace corvane::testing
