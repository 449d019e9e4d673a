#include "app/settings_window/settings_binding.h"

#include <QCheckBox>

#include "app/controller/app_controller.h"
#include "app/controller/settings_actions.h"
#include "app/settings_window/settings_widgets.h"

namespace corvane {

bool saveSetting(AppController& controller, const std::function<void(AppSettings&)>& change) {
    AppSettings next = controller.settings();
    change(next);
    if (next == controller.settings()) return true;
    return controller.settingsActions().saveAndApply(next);
}

SettingSwitches::SettingSwitches(AppController& controller, QWidget* owner,
                                 std::function<void()> refresh)
    : controller_(controller), owner_(owner), refresh_(std::move(refresh)) {}

QCheckBox* SettingSwitches::add(const QString& text, bool AppSettings::*field) {
    QCheckBox* box = makeSwitch(text);
    QObject::connect(box, &QCheckBox::toggled, owner_, [this, field](bool on) {
        saveSetting(controller_, [&](AppSettings& s) { s.*field = on; });
        refresh_();
    });
    switches_.emplace_back(box, field);
    return box;
}

void SettingSwitches::show(const AppSettings& settings) const {
    for (const auto& [box, field] : switches_) showChecked(box, settings.*field);
}

}  // namespace corvane
