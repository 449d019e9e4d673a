#pragma once

#include <functional>

#include "core/settings/app_settings.h"

namespace corvane {

class AppController;

// How every control of the settings window writes: `change` is applied to a
// copy of the current settings; an unchanged copy is dropped, any other is
// stored and then adopted. A refused copy leaves the settings as they were and
// the reason in the window's banner, so the control shows the old value again
// on the next refresh. True when the settings now hold the change.
bool saveSetting(AppController& controller, const std::function<void(AppSettings&)>& change);

}  // namespace corvane
