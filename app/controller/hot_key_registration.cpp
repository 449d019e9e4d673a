#include "app/controller/hot_key_registration.h"

#include <QPointer>

#include "app/controller/app_controller.h"

namespace corvane {

HotKeyRegistration::HotKeyRegistration(AppController& controller)
    : controller_(controller), hotKeys_(controller.services().hotKeys) {}

void HotKeyRegistration::registerAll() {
    ControllerState& state = controller_.state();
    hotKeys_.unregisterAll();
    state.shortcutWarnings.clear();
    if (state.recordingActive) {
        // The recorder must see every combination, Corvane's own included.
        controller_.notify();
        return;
    }

    const QPointer<AppController> self(&controller_);
    if (const std::optional<KeyCombo>& activation = state.settings.activationShortcut) {
        const bool registered =
            hotKeys_.registerHotKey(activation->keyCode, activation->modifiers, [self] {
                if (self) self->togglePanels();
            });
        if (!registered) {
            state.shortcutWarnings.push_back(
                controller_.shownShortcut(*activation) +
                " is in use by another app. Choose another activation shortcut.");
        }
    }
    for (const SavedLayout& layout : state.settings.layouts) {
        if (!layout.enabled || !layout.isGlobal || !layout.shortcut) continue;
        const bool registered = hotKeys_.registerHotKey(
            layout.shortcut->keyCode, layout.shortcut->modifiers, [self, layout] {
                if (self) self->applyLayout(layout, std::nullopt);
            });
        if (!registered) {
            state.shortcutWarnings.push_back(layout.name + ": " +
                                             controller_.shownShortcut(*layout.shortcut) +
                                             " is in use by another app.");
        }
    }
    controller_.notify();
}

}  // namespace corvane
