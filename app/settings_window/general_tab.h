#pragma once

#include <QWidget>
#include <utility>
#include <vector>

#include "app/settings_window/settings_binding.h"
#include "core/settings/app_settings.h"

class QCheckBox;
class QLabel;
class QVBoxLayout;

namespace corvane {

class AppController;
class ShortcutRecorder;

// "General": whether windows can be controlled, start at login, the tray
// icon, the grid's behaviour and the activation shortcut.
class GeneralTab : public QWidget {
    Q_OBJECT

public:
    explicit GeneralTab(AppController& controller, QWidget* parent = nullptr);

    // Shows the controller's current state in every control.
    void refresh();

private:
    void addWindowControlSection(QVBoxLayout* layout);
    void addSwitches(QVBoxLayout* layout);
    void addActivationSection(QVBoxLayout* layout);

    AppController& controller_;
    QLabel* controlSymbol_ = nullptr;
    QLabel* controlTitle_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
    SettingSwitches switches_;
    ShortcutRecorder* activation_ = nullptr;
};

}  // namespace corvane
