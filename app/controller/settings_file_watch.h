#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include "app/settings/settings_store.h"

namespace corvane {

class AppController;

// Follows settings.json while Corvane runs, so an edit made by hand takes effect
// at once: a valid file becomes the live settings (hot keys, tray, panels and the
// settings window follow as after any change), an invalid one changes nothing
// and says why in the settings window's banner and the tray's tooltip. The file
// and its folder are both watched, since editors save by writing a new file and
// renaming it over the old one, and the folder may appear only later. A burst of
// changes is read once it settles; Corvane's own saves read back as unchanged.
class SettingsFileWatch : public QObject {
    Q_OBJECT

public:
    using Outcome = SettingsStore::Reread::Outcome;

    // Long enough for an editor's write, rename and permission change to land
    // together, short enough to feel immediate.
    static constexpr int settleMilliseconds = 150;

    explicit SettingsFileWatch(AppController& controller);

    void start();
    void stop();

    // Reads the file now and takes in what changed since Corvane last read or
    // wrote it. A deleted file leaves the settings in use as they are; the next
    // change the user makes writes it again.
    Outcome takeOutsideChange();

signals:
    // After every look at the file, with what it found.
    void checked(SettingsFileWatch::Outcome outcome);

private:
    void follow();
    void pathChanged();

    AppController& controller_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    bool watching_ = false;
};

}  // namespace corvane
