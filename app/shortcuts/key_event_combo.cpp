#include "app/shortcuts/key_event_combo.h"

#include <QKeyEvent>
#include <QKeySequence>

#include "platform/key_code_map.h"
#include "platform/key_label.h"
#include "platform/key_mapping.h"

namespace corvane {

namespace {

constexpr std::uint16_t escapeKey = 53;
constexpr std::uint16_t backspaceKey = 51;
constexpr std::uint16_t forwardDeleteKey = 117;

// What an unmodified key types, as far as Qt's key code tells: letters in
// upper case, digits and punctuation as themselves.
std::string typedText(const QKeyEvent& event) {
    const int key = event.key();
    if (key < 0x20 || key > 0x10FFFF || (key & Qt::KeyboardModifierMask)) return {};
    if (key >= 0x01000000) return {};  // Qt's own codes for function and editing keys
    const char32_t character = char32_t(key);
    return QString::fromUcs4(&character, 1).toStdString();
}

}  // namespace

std::uint32_t modifierMask(Qt::KeyboardModifiers modifiers) {
    std::uint32_t mask = 0;
    if (modifiers.testFlag(Qt::ControlModifier)) mask |= KeyCombo::ctrl;
    if (modifiers.testFlag(Qt::AltModifier)) mask |= KeyCombo::alt;
    if (modifiers.testFlag(Qt::ShiftModifier)) mask |= KeyCombo::shift;
    if (modifiers.testFlag(Qt::MetaModifier)) mask |= KeyCombo::super;
    return mask;
}

std::optional<std::uint32_t> modifierKeyBit(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Control:
            return KeyCombo::ctrl;
        case Qt::Key_Alt:
            return KeyCombo::alt;
        case Qt::Key_Shift:
            return KeyCombo::shift;
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
            return KeyCombo::super;
        case Qt::Key_AltGr:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
            return 0u;
        default:
            return std::nullopt;
    }
}

std::optional<std::uint16_t> storedKeyCode(const QKeyEvent& event) {
    if (modifierKeyBit(event.key())) return std::nullopt;
    const quint32 scanCode = event.nativeScanCode();
    if (scanCode > 0 && scanCode <= 255) return platform::virtualKeyFor(std::uint8_t(scanCode));
    switch (event.key()) {
        case Qt::Key_Escape:
            return escapeKey;
        case Qt::Key_Backspace:
            return backspaceKey;
        case Qt::Key_Delete:
            return forwardDeleteKey;
        default:
            return std::nullopt;
    }
}

std::optional<KeyCombo> keyComboFromEvent(const QKeyEvent& event, platform::KeyMapping* mapping) {
    const std::optional<std::uint16_t> keyCode = storedKeyCode(event);
    if (!keyCode) return std::nullopt;
    KeyCombo combo;
    combo.keyCode = *keyCode;
    combo.modifiers = modifierMask(event.modifiers());
    combo.key = mapping != nullptr ? mapping->keyLabel(*keyCode)
                                   : platform::recordedKeyLabel(*keyCode, typedText(event));
    return combo;
}

}  // namespace corvane
