// Opening and closing the grid: one panel per display, all at once.

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "app/controller/app_controller.h"
#include "app/panel/panel_selection.h"
#include "app/panel/preview_overlay.h"
#include "app/panel/screen_scale.h"
#include "app/panel/tile_panel.h"

namespace corvane {

namespace {

constexpr int outsideClickRetargetMilliseconds = 150;

}  // namespace

void AppController::showPanels() {
    if (!panels_.empty()) return;
    ++panelGeneration_;
    if (settingsWindow_) settingsWindow_->hide();

    permissionGranted_ = services_.windows.isAvailable();
    refreshTarget();
    if (!message_ && pendingResizeNotice_) setMessage(pendingResizeNotice_, true);
    pendingResizeNotice_.reset();
    if (settings_.resetGridOnOpen) grid_ = settings_.grid;

    subdivided_ = false;
    optionDown_ = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
    optionTapArmed_ = false;
    // A compositing manager may have started or stopped since the last opening.
    setCompositing(services_.shell.isCompositing());

    const std::vector<platform::Display> displays = currentDisplays();
    gridDisplays_ = displays;
    // Displays are measured in root pixels, the toolkit's pointer in logical ones.
    const QPointF pointer = nativeFromLogical(QPointF(QCursor::pos()), currentScreenScales());
    std::optional<std::size_t> pointerDisplay;
    for (std::size_t i = 0; i < displays.size() && !pointerDisplay; ++i) {
        if (displays[i].frame.contains(pointer.x(), pointer.y())) pointerDisplay = i;
    }
    for (const platform::Display& display : displays) openPanel(display);
    if (!panels_.empty()) giveKeyboardTo(pointerDisplay.value_or(0));
    // The panels were refreshed as they were built.
    emit stateChanged();
}

void AppController::openPanel(const platform::Display& display) {
    auto* selection = new PanelSelection();
    auto* panel = new TilePanel(*this, display, *selection, services_.shell);
    // The selection lives and dies with its panel.
    selection->setParent(panel);
    panel->setCompositing(compositing_);
    panel->refresh();
    diagnostic("Grid panel size: " + describeSize(panel->width(), panel->height()) +
               ", display: " + describe(display.visibleFrame));
    panel->placeCentred();
    panels_.push_back(PanelEntry{panel, display, selection});
    panel->show();
    panel->raise();
}

void AppController::giveKeyboardTo(std::size_t panelIndex) {
    if (panelIndex >= panels_.size() || !panels_[panelIndex].panel) return;
    TilePanel* panel = panels_[panelIndex].panel;
    panel->raise();
    services_.shell.takeKeyboard(panel->windowId());
}

void AppController::closePanels(bool restoreFocus) {
    // Only give the keyboard back when one of Corvane's windows took it.
    const bool ownKeyboard = services_.shell.activeOwnWindow() != 0;
    ++panelGeneration_;
    previewOverlay_->hide();
    for (PanelEntry& entry : panels_) {
        if (!entry.panel) continue;
        entry.panel->hide();
        // Its own close button may be what is asking.
        entry.panel->deleteLater();
    }
    panels_.clear();
    gridDisplays_.reset();
    optionTapArmed_ = false;
    optionDown_ = false;
    if (restoreFocus && ownKeyboard && target_) services_.shell.activate(target_->window);
    notify();
}

void AppController::togglePanels() {
    if (!panels_.empty()) {
        closePanels(true);
    } else {
        showPanels();
    }
}

std::optional<std::size_t> AppController::keyPanelIndex() const {
    const platform::WindowId active = services_.shell.activeOwnWindow();
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        TilePanel* panel = panels_[i].panel;
        if (panel && active != 0 && panel->windowId() == active) return i;
    }
    // The desktop may not have said yet; Qt knows which window has the focus.
    if (QWindow* focus = QGuiApplication::focusWindow()) return panelIndexOfWindow(focus);
    return std::nullopt;
}

bool AppController::isPanelWindow(platform::WindowId window) const {
    return window != 0 && std::any_of(panels_.begin(), panels_.end(), [&](const PanelEntry& entry) {
               return entry.panel && entry.panel->windowId() == window;
           });
}

std::optional<std::size_t> AppController::panelIndexOfWindow(const QObject* window) const {
    if (window == nullptr) return std::nullopt;
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        TilePanel* panel = panels_[i].panel;
        if (panel && panel->windowHandle() == window) return i;
    }
    return std::nullopt;
}

void AppController::resetSelections() {
    for (PanelEntry& entry : panels_) {
        if (entry.selection) entry.selection->reset();
    }
    previewOverlay_->hide();
}

void AppController::changeGrid(int columnDelta, int rowDelta) {
    grid_ = GridSize::clamped(grid_.columns + columnDelta, grid_.rows + rowDelta);
    resetSelections();
    if (!settings_.resetGridOnOpen) {
        // The live grid is the remembered one: keep it for the next launch too.
        AppSettings next = settings_;
        next.grid = grid_;
        if (next != settings_) saveAndApply(next);
    }
    notify();
}

void AppController::toggleSubdivision() {
    subdivided_ = !subdivided_;
    resetSelections();
    notify();
}

void AppController::handleOutsideClick() {
    if (panels_.empty()) return;
    if (!settings_.keepPanelOpen) {
        closePanels(false);
        return;
    }
    // Let the click land first, so the window clicked becomes the target.
    QTimer::singleShot(outsideClickRetargetMilliseconds, this, [this] {
        if (panels_.empty()) return;
        refreshTarget();
        notify();
    });
}

}  // namespace corvane
