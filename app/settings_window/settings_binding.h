#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "core/settings/app_settings.h"

class QCheckBox;
class QString;
class QWidget;

namespace corvane {

class AppController;

// How every control of the settings window writes: `change` is applied to a
// copy of the current settings; an unchanged copy is dropped, any other is
// stored and then adopted. A refused copy leaves the settings as they were and
// the reason in the window's banner, so the control shows the old value again
// on the next refresh. True when the settings now hold the change.
bool saveSetting(AppController& controller, const std::function<void(AppSettings&)>& change);

// The on/off settings of one tab: each switch writes its field through the
// saving rule, then `refresh` shows the outcome (a refused change flips back).
class SettingSwitches {
public:
    SettingSwitches(AppController& controller, QWidget* owner, std::function<void()> refresh);

    QCheckBox* add(const QString& text, bool AppSettings::*field);
    void show(const AppSettings& settings) const;

private:
    AppController& controller_;
    QWidget* owner_;
    std::function<void()> refresh_;
    std::vector<std::pair<QCheckBox*, bool AppSettings::*>> switches_;
};

}  // namespace corvane
