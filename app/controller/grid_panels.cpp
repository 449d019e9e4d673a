// Opening and closing the grid: one panel per display, all at once.

#include "app/controller/grid_panels.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "app/controller/app_controller.h"
#include "app/controller/panel_keys.h"
#include "app/controller/settings_actions.h"
#include "app/panel/panel_selection.h"
#include "app/panel/preview_overlay.h"
#include "app/panel/screen_scale.h"
#include "app/panel/tile_panel.h"
#include "platform/desktop_shell.h"

namespace corvane {

namespace {

constexpr int outsideClickRetargetMilliseconds = 150;

}  // namespace

GridPanels::~GridPanels() {
    deletePanels();
}

void GridPanels::deletePanels() {
    for (Entry& entry : entries_) delete entry.panel.data();
    entries_.clear();
}

void GridPanels::show() {
    if (!entries_.empty()) return;
    ControllerState& state = controller_.state();
    const AppServices& services = controller_.services();
    ++state.panelGeneration;
    if (QWidget* settings = controller_.settingsWindow()) settings->hide();

    state.permissionGranted = services.windows.isAvailable();
    controller_.refreshTarget();
    if (!state.message && state.pendingResizeNotice)
        state.setMessage(state.pendingResizeNotice, true);
    state.pendingResizeNotice.reset();
    if (state.settings.resetGridOnOpen) state.grid = state.settings.grid;

    state.subdivided = false;
    controller_.panelKeys().resetAltTap(
        QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier));
    controller_.panelKeys().watch(true);
    // A compositing manager may have started or stopped since the last opening.
    controller_.setCompositing(services.shell.isCompositing());

    const std::vector<platform::Display> displays = services.displays.displays();
    gridDisplays_ = displays;
    // Displays are measured in root pixels, the toolkit's pointer in logical ones.
    const QPointF pointer = nativeFromLogical(QPointF(QCursor::pos()), currentScreenScales());
    std::optional<std::size_t> pointerDisplay;
    for (std::size_t i = 0; i < displays.size() && !pointerDisplay; ++i) {
        if (displays[i].frame.contains(pointer.x(), pointer.y())) pointerDisplay = i;
    }
    for (const platform::Display& display : displays) openPanel(display);
    if (!entries_.empty()) giveKeyboardTo(pointerDisplay.value_or(0));
    // The panels were refreshed as they were built.
    emit controller_.stateChanged();
}

void GridPanels::openPanel(const platform::Display& display) {
    auto* selection = new PanelSelection();
    auto* panel = new TilePanel(controller_, display, *selection, controller_.services().shell);
    // The selection lives and dies with its panel.
    selection->setParent(panel);
    panel->setCompositing(compositing_);
    panel->refresh();
    controller_.diagnostic("Grid panel size: " + describeSize(panel->width(), panel->height()) +
                           ", display: " + describe(display.visibleFrame));
    panel->placeCentred();
    entries_.push_back(Entry{panel, display, selection});
    panel->show();
    panel->raise();
}

void GridPanels::giveKeyboardTo(std::size_t panelIndex) {
    if (panelIndex >= entries_.size() || !entries_[panelIndex].panel) return;
    TilePanel* panel = entries_[panelIndex].panel;
    panel->raise();
    controller_.services().shell.takeKeyboard(panel->windowId());
}

void GridPanels::close(bool restoreFocus) {
    platform::DesktopShell& shell = controller_.services().shell;
    ControllerState& state = controller_.state();
    // Only give the keyboard back when one of Corvane's windows took it.
    const bool ownKeyboard = shell.activeOwnWindow() != 0;
    ++state.panelGeneration;
    controller_.previewOverlay()->hide();
    for (Entry& entry : entries_) {
        if (!entry.panel) continue;
        entry.panel->hide();
        // Its own close button may be what is asking.
        entry.panel->deleteLater();
    }
    entries_.clear();
    gridDisplays_.reset();
    controller_.panelKeys().resetAltTap(false);
    controller_.panelKeys().watch(false);
    if (restoreFocus && ownKeyboard && state.target) shell.activate(state.target->window);
    controller_.notify();
}

void GridPanels::toggle() {
    if (!entries_.empty()) {
        controller_.closePanels(true);
    } else {
        controller_.showPanels();
    }
}

std::optional<std::size_t> GridPanels::keyPanelIndex() const {
    const platform::WindowId active = controller_.services().shell.activeOwnWindow();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        TilePanel* panel = entries_[i].panel;
        if (panel && active != 0 && panel->windowId() == active) return i;
    }
    // The desktop may not have said yet; Qt knows which window has the focus.
    if (QWindow* focus = QGuiApplication::focusWindow()) return panelIndexOfWindow(focus);
    return std::nullopt;
}

bool GridPanels::isPanelWindow(platform::WindowId window) const {
    return window != 0 && std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
               return entry.panel && entry.panel->windowId() == window;
           });
}

std::optional<std::size_t> GridPanels::panelIndexOfWindow(const QObject* window) const {
    if (window == nullptr) return std::nullopt;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        TilePanel* panel = entries_[i].panel;
        if (panel && panel->windowHandle() == window) return i;
    }
    return std::nullopt;
}

void GridPanels::resetSelections() {
    for (Entry& entry : entries_) {
        if (entry.selection) entry.selection->reset();
    }
    controller_.previewOverlay()->hide();
}

void GridPanels::changeGrid(int columnDelta, int rowDelta) {
    ControllerState& state = controller_.state();
    state.grid = GridSize::clamped(state.grid.columns + columnDelta, state.grid.rows + rowDelta);
    resetSelections();
    if (!state.settings.resetGridOnOpen) {
        // The live grid is the remembered one: keep it for the next launch too.
        AppSettings next = state.settings;
        next.grid = state.grid;
        if (next != state.settings) controller_.settingsActions().saveAndApply(next);
    }
    controller_.notify();
}

void GridPanels::toggleSubdivision() {
    controller_.state().subdivided = !controller_.state().subdivided;
    resetSelections();
    controller_.notify();
}

void GridPanels::handleOutsideClick() {
    if (entries_.empty()) return;
    if (!controller_.settings().keepPanelOpen) {
        controller_.closePanels(false);
        return;
    }
    // Let the click land first, so the window clicked becomes the target.
    QTimer::singleShot(outsideClickRetargetMilliseconds, this, [this] {
        if (entries_.empty()) return;
        controller_.refreshTarget();
        controller_.notify();
    });
}

void GridPanels::handleScreensChanged() {
    if (entries_.empty()) return;
    // The new panels take the keyboard before the old ones go: hiding the panel
    // that has it first would let the window manager hand it to another window
    // in between, which reads as a click elsewhere and closes the new grid.
    std::vector<Entry> old;
    old.swap(entries_);
    controller_.closePanels(false);
    controller_.showPanels();
    for (Entry& entry : old) {
        if (!entry.panel) continue;
        entry.panel->hide();
        entry.panel->deleteLater();
    }
}

void GridPanels::setCompositing(bool compositing) {
    compositing_ = compositing;
    controller_.previewOverlay()->setCompositing(compositing);
    for (Entry& entry : entries_) {
        if (entry.panel) entry.panel->setCompositing(compositing);
    }
}

void GridPanels::refreshAll() {
    for (Entry& entry : entries_) {
        if (entry.panel) entry.panel->refresh();
    }
}

void GridPanels::raiseAll() {
    for (Entry& entry : entries_) {
        if (entry.panel) entry.panel->raise();
    }
}

}  // namespace corvane
