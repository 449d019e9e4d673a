#pragma once

#include <QWidget>
#include <optional>

#include "platform/displays.h"

namespace corvane {

class DisplayRow;
class GridSizeControls;
class PanelHeader;
class PanelHost;
class PanelSelection;
class PanelToolbar;
class PermissionCard;
class SavedLayoutArea;
class StatusLine;
class TargetRow;
class TileGrid;

// Everything a grid panel shows, top to bottom: header, target window,
// permission card (only while windows cannot be controlled), display, grid,
// grid size, status line, saved layouts and toolbar, on a dark rounded card.
// It keeps no state of its own: refresh() reads everything from the host.
class GridPanelView : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 366;
    static constexpr int padding = 20;
    static constexpr int spacing = 13;
    static constexpr int gridHeight = 180;
    static constexpr qreal cornerRadius = 17;

    GridPanelView(PanelHost& host, PanelSelection& selection, platform::Display display,
                  QWidget* parent = nullptr);

    void refresh();
    // Keeps the view at most `height` tall where it can: the saved layouts
    // give up rows first (they scroll). None: the natural height.
    void fitToHeight(std::optional<int> height);

    const platform::Display& display() const { return display_; }
    PanelSelection& selection() const { return selection_; }
    TileGrid* tileGrid() const { return grid_; }
    PanelHeader* header() const { return header_; }
    TargetRow* targetRow() const { return target_; }
    PermissionCard* permissionCard() const { return permission_; }
    DisplayRow* displayRow() const { return displayRow_; }
    GridSizeControls* gridSizeControls() const { return sizeControls_; }
    StatusLine* statusLine() const { return status_; }
    SavedLayoutArea* layoutArea() const { return layouts_; }
    PanelToolbar* toolbar() const { return toolbar_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // For --diagnostics: the layout tiles with their shortcuts as shown.
    void reportLayoutTiles();
    void saveSelection();

    PanelHost& host_;
    PanelSelection& selection_;
    platform::Display display_;
    PanelHeader* header_ = nullptr;
    TargetRow* target_ = nullptr;
    PermissionCard* permission_ = nullptr;
    DisplayRow* displayRow_ = nullptr;
    TileGrid* grid_ = nullptr;
    GridSizeControls* sizeControls_ = nullptr;
    StatusLine* status_ = nullptr;
    SavedLayoutArea* layouts_ = nullptr;
    PanelToolbar* toolbar_ = nullptr;
};

}  // namespace corvane
