#include "app/settings_window/settings_binding.h"

#include "app/controller/app_controller.h"
#include "app/controller/settings_actions.h"

namespace corvane {

bool saveSetting(AppController& controller, const std::function<void(AppSettings&)>& change) {
    AppSettings next = controller.settings();
    change(next);
    if (next == controller.settings()) return true;
    return controller.settingsActions().saveAndApply(next);
}

}  // namespace corvane
