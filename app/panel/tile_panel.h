#pragma once

#include <QRectF>
#include <QWidget>

#include "platform/displays.h"
#include "platform/window_system.h"

class QScrollArea;

namespace corvane {

namespace platform {
class DesktopShell;
}

class GridPanelView;
class PanelHost;
class PanelSelection;

// The floating window of one display's grid: frameless, above normal windows,
// on every workspace, out of the taskbar, holding one GridPanelView. It takes
// the keyboard when asked, but the grid's keys are handled application-wide by
// the controller. Delete it with deleteLater(): its own buttons may close it.
class TilePanel : public QWidget {
    Q_OBJECT

public:
    TilePanel(PanelHost& host, platform::Display display, PanelSelection& selection,
              platform::DesktopShell& shell);

    // Re-reads the host's state and fits the window to the content and to the
    // display's visible frame; the top-left corner stays where it is.
    void refresh();
    // Centres the panel on the display's visible frame, inside it.
    void placeCentred();
    platform::WindowId windowId() const;

    // Without a compositing manager the corners outside the rounded card cannot
    // be transparent, so the window is shaped to the card instead.
    void setCompositing(bool compositing);

    GridPanelView* view() const { return view_; }
    const platform::Display& display() const { return display_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateShape();
    void fitToDisplay();
    QRectF visibleArea() const;

    platform::Display display_;
    platform::DesktopShell& shell_;
    GridPanelView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    bool compositing_ = false;
};

}  // namespace corvane
