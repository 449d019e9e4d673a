#include "platform/shown_shortcut.h"

#include "platform/key_label.h"
#include "platform/key_mapping.h"

namespace corvane::platform {

std::optional<std::string> currentKeyLabel(std::uint16_t virtualKey, KeyMapping& mapping) {
    if (const auto name = namedKeyLabel(virtualKey)) return std::string(*name);
    const std::string label = recordedKeyLabel(virtualKey, mapping.layoutCharacters(virtualKey));
    // recordedKeyLabel names a key that types nothing visible by its code.
    if (label == recordedKeyLabel(virtualKey, {})) return std::nullopt;
    return label;
}

std::string shownShortcut(const KeyCombo& combo, KeyMapping* mapping) {
    if (mapping == nullptr) return combo.displayString();
    KeyCombo shown = combo;
    if (std::optional<std::string> label = currentKeyLabel(combo.keyCode, *mapping))
        shown.key = std::move(*label);
    return shown.displayString();
}

}  // namespace corvane::platform
