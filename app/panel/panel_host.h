#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/window/window_target.h"
#include "core/grid_size.h"
#include "core/key_combo.h"
#include "core/saved_layout.h"
#include "core/settings/app_settings.h"
#include "core/tile_region.h"
#include "platform/displays.h"
#include "platform/window_system.h"

namespace corvane {

// What a grid panel reads from the application and asks of it. The application
// controller implements it; panels never keep state the controller needs, and
// the controller calls TilePanel::refresh() after every change.
class PanelHost {
public:
    virtual ~PanelHost() = default;

    // State shown by the panels.
    virtual const AppSettings& settings() const = 0;
    virtual GridSize activeGrid() const = 0;
    virtual bool subdivided() const = 0;
    virtual const std::optional<WindowTarget>& target() const = 0;
    virtual std::optional<platform::IconImage> targetIcon(int preferredSize) const = 0;
    virtual bool permissionGranted() const = 0;
    virtual const std::optional<std::string>& message() const = 0;
    virtual bool messageIsError() const = 0;
    virtual bool canUndo() const = 0;
    virtual bool isApplying() const = 0;
    virtual std::size_t displayCount() const = 0;
    // A shortcut as the user reads it: its key labelled as in the current keyboard layout.
    virtual std::string shownShortcut(const KeyCombo& combo) const = 0;
    virtual bool diagnosticsEnabled() const = 0;
    // Prints one diagnostics line (only called when diagnostics are enabled).
    virtual void diagnostic(const std::string& line) = 0;

    // Actions wired from the panel's controls.
    virtual void showSettings() = 0;
    virtual void closePanels(bool restoreFocus) = 0;
    virtual void changeGrid(int columnDelta, int rowDelta) = 0;
    virtual void toggleSubdivision() = 0;
    virtual void updatePreview(const std::optional<TileRegion>& region,
                               const platform::Display& display) = 0;
    virtual void applyRegion(const TileRegion& region, const platform::Display& display,
                             bool shiftHeld) = 0;
    virtual void applyLayout(const SavedLayout& layout,
                             const std::optional<platform::Display>& display) = 0;
    virtual void undoLastPlacement() = 0;
    virtual void moveToNextDisplay() = 0;
    // "Save layout": opens the layout editor on a new layout holding `region`.
    virtual void saveSelectionAsLayout(const TileRegion& region) = 0;
    virtual void openAccessibilitySettings() = 0;
    virtual void checkPermission() = 0;
};

}  // namespace corvane
