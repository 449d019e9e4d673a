#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/key_combo.h"

namespace corvane::platform {

class KeyMapping;

// The label a key position has in the current layout: the fixed name of a
// special key, else what the key types there, upper-cased; nullopt when the
// position types nothing there (a dead key, a key the layout leaves out).
std::optional<std::string> currentKeyLabel(std::uint16_t virtualKey, KeyMapping& mapping);

// A shortcut as Corvane shows it to the user: its modifiers, then the label
// its key position has in the current layout, so that what the user reads is
// the key to press. Stored shortcuts keep the position and the label they were
// recorded with; the stored label shows only when the position has no
// character now, or when there is no keyboard layout to ask (`mapping` null).
std::string shownShortcut(const KeyCombo& combo, KeyMapping* mapping);

}  // namespace corvane::platform
