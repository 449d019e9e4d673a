// The grid's own keys while one of its panels has the keyboard, and the Alt tap
// that subdivides the grid.

#include <QEvent>
#include <QKeyEvent>

#include "app/controller/app_controller.h"
#include "app/panel/panel_selection.h"
#include "app/panel/preview_overlay.h"
#include "core/key_codes.h"
#include "platform/key_code_map.h"

namespace corvane {

namespace {

namespace Key = KeyCode;

constexpr std::uint32_t ctrl = KeyCombo::command;
constexpr std::uint32_t ctrlShift = KeyCombo::command | KeyCombo::shift;

std::uint32_t modifierMask(Qt::KeyboardModifiers modifiers) {
    std::uint32_t mask = 0;
    if (modifiers.testFlag(Qt::ControlModifier)) mask |= KeyCombo::command;
    if (modifiers.testFlag(Qt::AltModifier)) mask |= KeyCombo::option;
    if (modifiers.testFlag(Qt::ShiftModifier)) mask |= KeyCombo::shift;
    if (modifiers.testFlag(Qt::MetaModifier)) mask |= KeyCombo::control;
    return mask;
}

// The mask bit a modifier key stands for; nullopt for every other key.
std::optional<std::uint32_t> modifierKeyBit(int key) {
    switch (key) {
        case Qt::Key_Control:
            return KeyCombo::command;
        case Qt::Key_Alt:
            return KeyCombo::option;
        case Qt::Key_Shift:
            return KeyCombo::shift;
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
            return KeyCombo::control;
        case Qt::Key_AltGr:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
            return 0u;
        default:
            return std::nullopt;
    }
}

// The grid's navigation keys are known by what they do rather than where they
// sit, so they work on a server with another keycode set than evdev's (the
// older xfree86 set puts the arrows elsewhere).
std::optional<std::uint16_t> navigationKey(const QKeyEvent& event) {
    if (event.modifiers().testFlag(Qt::KeypadModifier)) {
        if (event.key() == Qt::Key_Enter) return Key::keypadEnter;
        return std::nullopt;  // keypad arrows are keys of their own
    }
    switch (event.key()) {
        case Qt::Key_Left:
            return Key::leftArrow;
        case Qt::Key_Right:
            return Key::rightArrow;
        case Qt::Key_Down:
            return Key::downArrow;
        case Qt::Key_Up:
            return Key::upArrow;
        case Qt::Key_Return:
            return Key::returnKey;
        case Qt::Key_Enter:
            return Key::keypadEnter;
        case Qt::Key_Escape:
            return Key::escape;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return Key::tab;
        default:
            return std::nullopt;
    }
}

}  // namespace

bool AppController::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool keyEvent = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    const bool mousePress =
        type == QEvent::MouseButtonPress || type == QEvent::NonClientAreaMouseButtonPress;
    if (!keyEvent && !mousePress) return false;
    if (panels_.empty() || recordingActive_) return false;
    if (mousePress) {
        optionTapArmed_ = false;  // Alt used with a click is no tap
        return false;
    }
    return handleKeyEvent(watched, static_cast<QKeyEvent*>(event));
}

bool AppController::handleKeyEvent(QObject* watched, QKeyEvent* event) {
    // A key event reaches the focused window first and then its widgets; the
    // window of a panel is where it is handled, once.
    const std::optional<std::size_t> index = panelIndexOfWindow(watched);
    if (!index) return false;

    const bool press = event->type() == QEvent::KeyPress;
    std::uint32_t modifiers = modifierMask(event->modifiers());
    if (const std::optional<std::uint32_t> bit = modifierKeyBit(event->key())) {
        // What is held once this press or release has happened.
        modifiers = press ? (modifiers | *bit) : (modifiers & ~*bit);
        handleFlagsChanged(modifiers);
        return false;
    }
    if (!press) return false;

    optionTapArmed_ = false;
    std::optional<std::uint16_t> keyCode = navigationKey(*event);
    const quint32 scanCode = event->nativeScanCode();
    if (!keyCode && scanCode > 0 && scanCode <= 255)
        keyCode = platform::virtualKeyFor(std::uint8_t(scanCode));
    if (!keyCode) return false;
    return handleKeyDown(KeyPress{*keyCode, modifiers}, *index);
}

void AppController::handleFlagsChanged(std::uint32_t modifiers) {
    const bool option = (modifiers & KeyCombo::option) != 0;
    const bool others =
        (modifiers & (KeyCombo::shift | KeyCombo::control | KeyCombo::command)) != 0;
    if (option) {
        if (!optionDown_) optionTapArmed_ = !others;
        if (others) optionTapArmed_ = false;
    } else if (optionDown_ && optionTapArmed_) {
        optionTapArmed_ = false;
        subdivided_ = !subdivided_;
        resetSelections();
        notify();
    }
    optionDown_ = option;
}

bool AppController::handleKeyDown(const KeyPress& key, std::size_t panelIndex) {
    if (panelIndex >= panels_.size()) return false;
    const std::uint32_t mods = key.modifiers & KeyCombo::allModifiers;
    const bool shift = (mods & KeyCombo::shift) != 0;
    // Copies: the actions below may close the panels.
    const platform::Display display = panels_[panelIndex].display;
    PanelSelection* selection = panels_[panelIndex].selection;

    if (key.keyCode == Key::tab) {
        const std::size_t count = panels_.size();
        giveKeyboardTo(shift ? (panelIndex + count - 1) % count : (panelIndex + 1) % count);
        previewOverlay_->hide();
        return true;
    }
    if (key.keyCode == Key::escape) {
        closePanels(true);
        return true;
    }
    if (mods == ctrl && key.keyCode == Key::z) {
        undoLastPlacement();
        return true;
    }
    if (mods == ctrl && key.keyCode == Key::comma) {
        showSettings();
        return true;
    }
    if ((mods == ctrl || mods == ctrlShift) &&
        (key.keyCode == Key::equals || key.keyCode == Key::minus)) {
        const int delta = key.keyCode == Key::equals ? 1 : -1;
        if (mods == ctrl) {
            changeGrid(0, delta);
        } else {
            changeGrid(delta, 0);
        }
        return true;
    }
    for (const SavedLayout& layout : settings_.layouts) {
        if (!layout.enabled || layout.isGlobal || !layout.shortcut) continue;
        if (layout.shortcut->keyCode == key.keyCode && layout.shortcut->modifiers == mods) {
            const SavedLayout chosen = layout;  // the list may change while it applies
            applyLayout(chosen, std::nullopt);
            return true;
        }
    }
    if (key.keyCode >= Key::leftArrow && key.keyCode <= Key::upArrow) {
        static constexpr int dx[] = {-1, 1, 0, 0};
        static constexpr int dy[] = {0, 0, 1, -1};
        const int arrow = key.keyCode - Key::leftArrow;
        selection->moveCursor(dx[arrow], dy[arrow], shift, activeGrid());
        updatePreview(selection->region(), display);
        return true;
    }
    if (key.keyCode == Key::returnKey || key.keyCode == Key::keypadEnter) {
        applyRegion(selection->regionToApply(activeGrid()), display, shift);
        return true;
    }
    return false;
}

}  // namespace corvane
