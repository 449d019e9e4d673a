#pragma once

#include <QObject>
#include <QPointer>
#include <optional>
#include <vector>

#include "platform/displays.h"
#include "platform/window_system.h"

namespace corvane {

class AppController;
class PanelSelection;
class TilePanel;

// The grid: one panel per display, opened and closed all at once, rebuilt when
// the monitors change, and the grid size they show.
class GridPanels : public QObject {
public:
    struct Entry {
        QPointer<TilePanel> panel;
        platform::Display display;
        PanelSelection* selection = nullptr;
    };

    explicit GridPanels(AppController& controller) : controller_(controller) {}
    ~GridPanels() override;

    void show();
    void close(bool restoreFocus);
    void toggle();
    // At once, not from the event loop: the controller is going away.
    void deletePanels();
    const std::vector<Entry>& entries() const { return entries_; }

    // The open panel that has the keyboard, if one has.
    std::optional<std::size_t> keyPanelIndex() const;
    bool isPanelWindow(platform::WindowId window) const;
    std::optional<std::size_t> panelIndexOfWindow(const QObject* window) const;
    void giveKeyboardTo(std::size_t panelIndex);
    // The displays of the open grid; none while it is closed.
    const std::optional<std::vector<platform::Display>>& gridDisplays() const {
        return gridDisplays_;
    }

    void changeGrid(int columnDelta, int rowDelta);
    void toggleSubdivision();
    // Every selection starts over (the grid changed under it).
    void resetSelections();
    void handleOutsideClick();
    void handleScreensChanged();
    void setCompositing(bool compositing);
    void refreshAll();
    void raiseAll();

private:
    void openPanel(const platform::Display& display);

    AppController& controller_;
    std::vector<Entry> entries_;
    std::optional<std::vector<platform::Display>> gridDisplays_;
    bool compositing_ = false;
};

}  // namespace corvane
