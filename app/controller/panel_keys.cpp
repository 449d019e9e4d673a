// The grid's own keys while one of its panels has the keyboard, and the Alt tap
// that subdivides the grid.

#include "app/controller/panel_keys.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <cctype>
#include <optional>

#include "app/controller/app_controller.h"
#include "app/panel/panel_selection.h"
#include "app/panel/preview_overlay.h"
#include "app/shortcuts/key_event_combo.h"
#include "platform/key_code_map.h"
#include "platform/key_mapping.h"

namespace corvane {

namespace {

namespace Key = KeyCode;

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

// The command key whose character Qt's key event carries: Qt reads the key
// in the current layout with the modifiers held.
std::optional<std::uint16_t> typedCommandKey(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Z:
            return Key::z;
        case Qt::Key_Comma:
            return Key::comma;
        case Qt::Key_Equal:
            return Key::equals;
        case Qt::Key_Minus:
            return Key::minus;
        default:
            return std::nullopt;
    }
}

// A symbol typed with Shift because the layout has it only there: Shift then
// belongs to the character ("=" on a German keyboard is Ctrl+=, not Ctrl+Shift+=).
bool isSymbolKey(std::uint16_t commandKey) {
    for (const PanelKey& key : panelKeys) {
        if (key.keyCode == commandKey && !key.character.empty())
            return !std::isalpha(static_cast<unsigned char>(key.character.front()));
    }
    return false;
}

}  // namespace

bool PanelKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool keyEvent = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    const bool mousePress =
        type == QEvent::MouseButtonPress || type == QEvent::NonClientAreaMouseButtonPress;
    if (!keyEvent && !mousePress) return false;
    if (!controller_.panelsOpen() || controller_.recordingActive()) return false;
    if (mousePress) {
        altTapArmed_ = false;  // Alt used with a click is no tap
        return false;
    }
    return handleKeyEvent(watched, static_cast<QKeyEvent*>(event));
}

bool PanelKeys::handleKeyEvent(QObject* watched, QKeyEvent* event) {
    // A key event reaches the focused window first and then its widgets; the
    // window of a panel is where it is handled, once.
    const std::optional<std::size_t> index = controller_.gridPanels().panelIndexOfWindow(watched);
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

    altTapArmed_ = false;
    std::optional<std::uint16_t> keyCode = navigationKey(*event);
    const quint32 scanCode = event->nativeScanCode();
    if (!keyCode && scanCode > 0 && scanCode <= 255)
        keyCode = platform::virtualKeyFor(std::uint8_t(scanCode));
    if (!keyCode) return false;
    return handleKeyDown(KeyPress{*keyCode, modifiers, typedCommandKey(*event)}, *index);
}

void PanelKeys::watch(bool on) {
    if (on == watching_ || !qApp) return;
    watching_ = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

void PanelKeys::resetAltTap(bool altHeld) {
    altDown_ = altHeld;
    altTapArmed_ = false;
}

void PanelKeys::handleFlagsChanged(std::uint32_t modifiers) {
    const bool alt = (modifiers & KeyCombo::alt) != 0;
    const bool others = (modifiers & (KeyCombo::shift | KeyCombo::super | KeyCombo::ctrl)) != 0;
    if (alt) {
        if (!altDown_) altTapArmed_ = !others;
        if (others) altTapArmed_ = false;
    } else if (altDown_ && altTapArmed_) {
        altTapArmed_ = false;
        controller_.toggleSubdivision();
    }
    altDown_ = alt;
}

// The panel's own keys come first, then the grid-only layouts, then the
// navigation keys held with modifiers no layout claimed.
bool PanelKeys::handleKeyDown(const KeyPress& key, std::size_t panelIndex) {
    if (panelIndex >= controller_.panels().size()) return false;
    const KeyPress pressed{key.keyCode, key.modifiers & KeyCombo::allModifiers, key.typedCommand};
    const bool shift = (pressed.modifiers & KeyCombo::shift) != 0;
    const std::optional<KeyPress> own = ownKey(pressed);
    if (own) {
        if (const PanelKey* reserved = reservedPanelKey(own->keyCode, own->modifiers)) {
            perform(reserved->action, shift, panelIndex);
            return true;
        }
    }
    // Layout keys match where the key sits, as global shortcuts do.
    if (applyGridLayout(pressed)) return true;
    if (const PanelKey* loose = own ? panelKeyWithOtherModifiers(own->keyCode) : nullptr) {
        perform(loose->action, shift, panelIndex);
        return true;
    }
    return false;
}

// The command keys go by the character their key types in the current
// layout, as every desktop application's shortcuts do; the other keys by
// where they sit. The position a command key has on a US keyboard is no
// command key where it types another character (Y on a German keyboard).
std::optional<KeyPress> PanelKeys::ownKey(const KeyPress& pressed) const {
    platform::KeyMapping* mapping = controller_.services().keyMapping;
    if (mapping == nullptr) return pressed;
    if (const auto command = commandKeyLabelled(mapping->keyLabel(pressed.keyCode)))
        return KeyPress{*command, pressed.modifiers};
    if (pressed.typedCommand) {
        const std::uint32_t modifiers = isSymbolKey(*pressed.typedCommand)
                                            ? pressed.modifiers & ~KeyCombo::shift
                                            : pressed.modifiers;
        return KeyPress{*pressed.typedCommand, modifiers};
    }
    if (isCommandKey(pressed.keyCode)) return std::nullopt;
    return pressed;
}

bool PanelKeys::applyGridLayout(const KeyPress& key) {
    for (const SavedLayout& layout : controller_.settings().layouts) {
        if (!layout.enabled || layout.isGlobal || !layout.shortcut) continue;
        if (layout.shortcut->keyCode == key.keyCode &&
            layout.shortcut->modifiers == key.modifiers) {
            // A copy: the list may change while it applies.
            // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
            const SavedLayout chosen = layout;
            controller_.applyLayout(chosen, std::nullopt);
            return true;
        }
    }
    return false;
}

void PanelKeys::perform(PanelKeyAction action, bool shift, std::size_t panelIndex) {
    // Copies: the actions below may close the panels.
    const platform::Display display = controller_.panels()[panelIndex].display;
    PanelSelection* selection = controller_.panels()[panelIndex].selection;
    const auto moveCursor = [&](int dx, int dy) {
        selection->moveCursor(dx, dy, shift, controller_.activeGrid());
        controller_.updatePreview(selection->region(), display);
    };
    switch (action) {
        case PanelKeyAction::switchPanel: {
            const std::size_t count = controller_.panels().size();
            controller_.gridPanels().giveKeyboardTo(shift ? (panelIndex + count - 1) % count
                                                          : (panelIndex + 1) % count);
            controller_.previewOverlay()->hide();
            break;
        }
        case PanelKeyAction::closeGrid:
            controller_.closePanels(true);
            break;
        case PanelKeyAction::undo:
            controller_.undoLastPlacement();
            break;
        case PanelKeyAction::openSettings:
            controller_.showSettings();
            break;
        case PanelKeyAction::addRow:
            controller_.changeGrid(0, 1);
            break;
        case PanelKeyAction::removeRow:
            controller_.changeGrid(0, -1);
            break;
        case PanelKeyAction::addColumn:
            controller_.changeGrid(1, 0);
            break;
        case PanelKeyAction::removeColumn:
            controller_.changeGrid(-1, 0);
            break;
        case PanelKeyAction::moveLeft:
            moveCursor(-1, 0);
            break;
        case PanelKeyAction::moveRight:
            moveCursor(1, 0);
            break;
        case PanelKeyAction::moveDown:
            moveCursor(0, 1);
            break;
        case PanelKeyAction::moveUp:
            moveCursor(0, -1);
            break;
        case PanelKeyAction::place:
            controller_.applyRegion(selection->regionToApply(controller_.activeGrid()), display,
                                    shift);
            break;
    }
}

}  // namespace corvane
