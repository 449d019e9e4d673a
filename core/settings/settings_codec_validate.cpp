// The rules a settings document must pass, checked in a fixed order so the user
// always hears about the same problem first.
#include <algorithm>
#include <unordered_set>
#include <vector>

#include "core/settings/settings_codec.h"
#include "core/unicode_text.h"

namespace corvane::SettingsCodec {

namespace {

const char* const kTooManyLayouts = "Keep at most 256 saved layouts.";
const char* const kUnsupportedVersion = "This settings file uses an unsupported version.";
const char* const kUnsupportedStarterVersion =
    "This settings file uses an unsupported starter layout version.";
const char* const kOutOfRange = "Grid sizes must be 1\u201320; margins must be 0\u2013300.";
const char* const kWeakActivation = "The activation shortcut needs Ctrl, Alt, or Super.";
const char* const kNoWayToOpen = "Keep the tray icon or an activation shortcut enabled.";
const char* const kDuplicateId = "Layout IDs must be unique.";
const char* const kBadLayout = "Every layout needs a name and a valid grid selection.";
const char* const kWeakGlobal = "Global shortcuts need Ctrl, Alt, or Super.";

[[noreturn]] void refuse(std::string message) {
    throw SettingsError::invalid(std::move(message));
}

void checkDocument(const AppSettings& settings) {
    if (settings.layouts.size() > AppSettings::mostLayouts) refuse(kTooManyLayouts);
    if (settings.version != AppSettings::currentVersion) refuse(kUnsupportedVersion);
    const std::int64_t starter = settings.starterLayoutsVersion;
    if (starter < 1 || starter > AppSettings::currentStarterLayoutsVersion) {
        refuse(kUnsupportedStarterVersion);
    }
    if (!settings.grid.isValid() || !settings.margins.isValid()) refuse(kOutOfRange);
    const auto& activation = settings.activationShortcut;
    if (activation && (!activation->isValid() || !activation->hasStrongModifier())) {
        refuse(kWeakActivation);
    }
    if (!activation && !settings.showMenuBarIcon) refuse(kNoWayToOpen);
}

bool hasUsableName(const SavedLayout& layout) {
    return !UnicodeText::isBlank(layout.name) &&
           UnicodeText::hasAtMostCharacters(layout.name, SavedLayout::longestName);
}

bool isTaken(const KeyCombo& combo, const std::vector<KeyCombo>& used) {
    return std::any_of(used.begin(), used.end(),
                       [&](const KeyCombo& taken) { return taken.sameKeys(combo); });
}

// `used` holds the shortcuts already taken, in document order: the activation
// shortcut, then the shortcut of every enabled layout checked so far.
void checkShortcut(const SavedLayout& layout, std::vector<KeyCombo>& used) {
    const KeyCombo& shortcut = *layout.shortcut;
    if (!shortcut.isValid()) refuse(kWeakGlobal);
    if (layout.isGlobal && !shortcut.hasStrongModifier()) refuse(kWeakGlobal);
    if (!layout.enabled) return;
    if (isTaken(shortcut, used)) {
        refuse("The shortcut " + shortcut.displayString() + " is assigned more than once.");
    }
    if (shortcut.isReservedForPanel()) {
        refuse(shortcut.displayString() + " is reserved for panel navigation.");
    }
    used.push_back(shortcut);
}

void checkLayouts(const AppSettings& settings) {
    std::unordered_set<Uuid> ids;
    ids.reserve(settings.layouts.size());
    std::vector<KeyCombo> used;
    if (settings.activationShortcut) used.push_back(*settings.activationShortcut);
    for (const SavedLayout& layout : settings.layouts) {
        if (!ids.insert(layout.id).second) refuse(kDuplicateId);
        if (!hasUsableName(layout) || !layout.grid.isValid() || !layout.region.isValid()) {
            refuse(kBadLayout);
        }
        if (layout.shortcut) checkShortcut(layout, used);
    }
}

}  // namespace

const AppSettings& validate(const AppSettings& settings) {
    checkDocument(settings);
    checkLayouts(settings);
    return settings;
}

}  // namespace corvane::SettingsCodec
