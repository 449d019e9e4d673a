#pragma once

#include <QWidget>

#include "app/settings_window/settings_file_dialogs.h"

class QLabel;
class QTabWidget;

namespace corvane {

class AppController;
class GeneralTab;
class GridSpacingTab;
class HelpTab;
class ShortcutsTab;

// "Corvane Settings": a header with the way to open the grid, a banner for
// the last problem with the settings, the four tabs, and a footer with the
// version, export and import. Every control shows the controller's state and
// is shown again whenever that changes, so a refused change springs back and
// a settings file reloaded from disk appears at once.
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    // The tabs in the order shown, by the controller's tab numbers.
    static constexpr int generalTab = 0;
    static constexpr int gridSpacingTab = 1;
    static constexpr int shortcutsTab = 2;
    static constexpr int helpTab = 3;

    explicit SettingsWindow(AppController& controller, QWidget* parent = nullptr);

    void refresh();

    // Replaces the file dialogs of export and import (tests answer without one).
    void setFileChooser(SettingsFileChooser chooser) { chooseFile_ = std::move(chooser); }
    void exportSettings();
    void importSettings();

    // "Version 1.2.3", or "Version Development" for a build without a version.
    static QString versionText();
    // The controller's tab number shown at display position `position`, and back.
    static int tabNumberAt(int position);
    static int positionOfTab(int tabNumber);

    QTabWidget* tabs() const { return tabs_; }
    GeneralTab* general() const { return general_; }
    GridSpacingTab* gridSpacing() const { return gridSpacing_; }
    ShortcutsTab* shortcuts() const { return shortcuts_; }
    HelpTab* help() const { return help_; }
    QWidget* banner() const { return banner_; }
    QString bannerText() const;
    // The hot keys that could not be had, one a line; empty when all were.
    QString shortcutWarningsText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeBanner();
    QWidget* makeShortcutWarnings();
    QWidget* makeTabs();
    QWidget* makeFooter();

    AppController& controller_;
    SettingsFileChooser chooseFile_;
    QWidget* banner_ = nullptr;
    QLabel* bannerMessage_ = nullptr;
    QLabel* shortcutWarnings_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    GeneralTab* general_ = nullptr;
    GridSpacingTab* gridSpacing_ = nullptr;
    ShortcutsTab* shortcuts_ = nullptr;
    HelpTab* help_ = nullptr;
};

}  // namespace corvane
