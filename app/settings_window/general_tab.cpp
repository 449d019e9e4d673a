#include "app/settings_window/general_tab.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/controller/app_controller.h"
#include "app/controller/upkeep.h"
#include "app/settings_window/settings_binding.h"
#include "app/settings_window/settings_widgets.h"
#include "app/settings_window/shortcut_recorder.h"
#include "app/settings_window/update_settings_view.h"
#include "app/style/panel_symbols.h"

namespace corvane {

namespace {

constexpr int symbolSize = 18;

}  // namespace

GeneralTab::GeneralTab(AppController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller), switches_(controller, this, [this] { refresh(); }) {
    auto* content = new QVBoxLayout;
    addWindowControlSection(content);
    addSwitches(content);
    addActivationSection(content);
    content->addSpacing(12);
    content->addWidget(new UpdateSettingsView(controller_.updater()));
    content->addStretch();

    setScrollingContent(*this, content);
    refresh();
}

void GeneralTab::addWindowControlSection(QVBoxLayout* layout) {
    controlSymbol_ = new QLabel;
    controlSymbol_->setFixedSize(symbolSize, symbolSize);
    controlTitle_ = makeHeading({});
    auto* title = new QHBoxLayout;
    title->addWidget(controlSymbol_);
    title->addWidget(controlTitle_, 1);
    layout->addLayout(title);
    layout->addWidget(
        makeNote(QStringLiteral("Corvane asks the window manager to move and resize the focused "
                                "window. Window contents are never recorded or sent anywhere.")));
    QAbstractButton* learnMore = makeTextButton(QStringLiteral("Learn more\u2026"));
    connect(learnMore, &QAbstractButton::clicked, this,
            [this] { controller_.openAccessibilitySettings(); });
    auto* row = new QHBoxLayout;
    row->addWidget(learnMore);
    row->addStretch();
    layout->addLayout(row);
    layout->addSpacing(12);
}

void GeneralTab::addSwitches(QVBoxLayout* layout) {
    launchAtLogin_ = makeSwitch(QStringLiteral("Launch at login"));
    connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) {
        controller_.upkeep().setLoginItem(on);
        refresh();
    });
    layout->addWidget(launchAtLogin_);
    layout->addWidget(switches_.add(QStringLiteral("Show icon in the system tray"),
                                    &AppSettings::showMenuBarIcon));
    layout->addWidget(switches_.add(QStringLiteral("Keep the grid open after tiling"),
                                    &AppSettings::keepPanelOpen));
    layout->addWidget(switches_.add(QStringLiteral("Repeat a shortcut to cycle through displays"),
                                    &AppSettings::cycleDisplays));
    layout->addWidget(
        switches_.add(QStringLiteral("Animate window resizing"), &AppSettings::animateWindows));
    layout->addWidget(makeNote(QStringLiteral(
        "Smoothly move and resize windows. Respects the desktop\u2019s reduced-motion setting.")));
    layout->addSpacing(12);
}

void GeneralTab::addActivationSection(QVBoxLayout* layout) {
    layout->addWidget(makeHeading(QStringLiteral("Activation shortcut")));
    activation_ = new ShortcutRecorder(controller_, [this](const std::optional<KeyCombo>& combo) {
        saveSetting(controller_, [&](AppSettings& s) { s.activationShortcut = combo; });
        refresh();
    });
    const QString rowText = QStringLiteral("Show or hide the grid");
    activation_->setAccessibleName(rowText);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(rowText);
    label->setBuddy(activation_);
    row->addWidget(label, 1);
    row->addWidget(activation_);
    layout->addLayout(row);
    layout->addWidget(
        makeNote(QStringLiteral("Click to record. Press Delete while recording to "
                                "clear. Global shortcuts need Ctrl, Alt, or Super.")));
}

void GeneralTab::refresh() {
    const bool granted = controller_.permissionGranted();
    controlTitle_->setText(granted ? QStringLiteral("Window control available")
                                   : QStringLiteral("Window control unavailable"));
    controlTitle_->setAccessibleName(controlTitle_->text());
    const QIcon symbol = granted ? settingsSymbol(SettingsSymbol::granted)
                                 : symbolIcon(Symbol::hand, palette().color(QPalette::WindowText));
    controlSymbol_->setPixmap(symbol.pixmap(symbolSize, symbolSize));

    showChecked(launchAtLogin_, controller_.loginEnabled());
    const AppSettings& settings = controller_.settings();
    switches_.show(settings);
    activation_->setCombo(settings.activationShortcut);
}

}  // namespace corvane
