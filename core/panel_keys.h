#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/key_codes.h"
#include "core/key_combo.h"

namespace corvane {

// What a key the grid panel keeps for itself does.
enum class PanelKeyAction {
    switchPanel,   // the next display's panel; with Shift the previous one
    closeGrid,     // closes the grid and gives the keyboard back
    undo,          // undoes the last placement
    openSettings,  // opens the settings window
    addRow,
    removeRow,
    addColumn,
    removeColumn,
    moveLeft,  // the arrows move the cursor; with Shift they extend the selection
    moveRight,
    moveDown,
    moveUp,
    place,  // places the window; Shift reverses "Keep the grid open" once
};

// The modifiers with which a key is the panel's, whatever the layouts say.
enum class PanelKeyModifiers { any, noneOrShift, ctrl, ctrlShift };

struct PanelKey {
    std::uint16_t keyCode;
    PanelKeyModifiers reservedWith;
    PanelKeyAction action;
    // With other modifiers the key still acts, once no grid layout has claimed
    // the combination (layouts may use Ctrl+Alt+arrow, for instance).
    bool actsWithOtherModifiers = false;
    // For the command keys, the character the key types: like every desktop
    // application's shortcuts they follow the keyboard layout, so Ctrl+Z is
    // the key that types "z" wherever that key sits. Empty for the keys known
    // by what they do (Tab, Escape, the arrows, Return).
    std::string_view character = {};
};

// Every key the focused panel handles itself. The settings refuse a layout
// shortcut on any of these combinations, and the panel reads its keys from here.
inline constexpr std::array<PanelKey, 14> panelKeys{{
    {KeyCode::tab, PanelKeyModifiers::any, PanelKeyAction::switchPanel},
    {KeyCode::escape, PanelKeyModifiers::any, PanelKeyAction::closeGrid},
    {KeyCode::z, PanelKeyModifiers::ctrl, PanelKeyAction::undo, false, "Z"},
    {KeyCode::comma, PanelKeyModifiers::ctrl, PanelKeyAction::openSettings, false, ","},
    {KeyCode::equals, PanelKeyModifiers::ctrl, PanelKeyAction::addRow, false, "="},
    {KeyCode::minus, PanelKeyModifiers::ctrl, PanelKeyAction::removeRow, false, "-"},
    {KeyCode::equals, PanelKeyModifiers::ctrlShift, PanelKeyAction::addColumn, false, "="},
    {KeyCode::minus, PanelKeyModifiers::ctrlShift, PanelKeyAction::removeColumn, false, "-"},
    {KeyCode::leftArrow, PanelKeyModifiers::noneOrShift, PanelKeyAction::moveLeft, true},
    {KeyCode::rightArrow, PanelKeyModifiers::noneOrShift, PanelKeyAction::moveRight, true},
    {KeyCode::downArrow, PanelKeyModifiers::noneOrShift, PanelKeyAction::moveDown, true},
    {KeyCode::upArrow, PanelKeyModifiers::noneOrShift, PanelKeyAction::moveUp, true},
    {KeyCode::returnKey, PanelKeyModifiers::noneOrShift, PanelKeyAction::place, true},
    {KeyCode::keypadEnter, PanelKeyModifiers::noneOrShift, PanelKeyAction::place, true},
}};

constexpr bool panelKeyModifiersMatch(PanelKeyModifiers wanted, std::uint32_t modifiers) {
    switch (wanted) {
        case PanelKeyModifiers::any:
            return true;
        case PanelKeyModifiers::noneOrShift:
            return modifiers == 0 || modifiers == KeyCombo::shift;
        case PanelKeyModifiers::ctrl:
            return modifiers == KeyCombo::ctrl;
        case PanelKeyModifiers::ctrlShift:
            return modifiers == (KeyCombo::ctrl | KeyCombo::shift);
    }
    return false;
}

// The panel's own key for this combination, or null when layouts may have it.
constexpr const PanelKey* reservedPanelKey(std::uint16_t keyCode, std::uint32_t modifiers) {
    for (const PanelKey& key : panelKeys) {
        if (key.keyCode == keyCode && panelKeyModifiersMatch(key.reservedWith, modifiers))
            return &key;
    }
    return nullptr;
}

// The key that still acts with modifiers it is not reserved with, once the
// layouts have passed; null for every other key.
constexpr const PanelKey* panelKeyWithOtherModifiers(std::uint16_t keyCode) {
    for (const PanelKey& key : panelKeys) {
        if (key.keyCode == keyCode && key.actsWithOtherModifiers) return &key;
    }
    return nullptr;
}

// The command key whose character a key's label shows ("Z", ",", "=", "-"),
// in the key codes of the table above; nullopt for every other label.
constexpr std::optional<std::uint16_t> commandKeyLabelled(std::string_view label) {
    for (const PanelKey& key : panelKeys) {
        if (!key.character.empty() && key.character == label) return key.keyCode;
    }
    return std::nullopt;
}

// Whether the table reads this key code by its character rather than its position.
constexpr bool isCommandKey(std::uint16_t keyCode) {
    for (const PanelKey& key : panelKeys) {
        if (!key.character.empty() && key.keyCode == keyCode) return true;
    }
    return false;
}

}  // namespace corvane
