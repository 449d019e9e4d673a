#pragma once

#include "app/shortcuts/hot_key_manager.h"

namespace corvane {

class AppController;

// The global shortcuts: the activation shortcut and the enabled global layouts,
// grabbed from the desktop. A combination another application holds becomes a
// warning the user reads in the settings and the tray icon stays as a way in.
class HotKeyRegistration {
public:
    explicit HotKeyRegistration(AppController& controller);

    // Releases every grab and takes them again from the current settings;
    // while a shortcut is being recorded, none.
    void registerAll();
    void unregisterAll() { hotKeys_.unregisterAll(); }

private:
    AppController& controller_;
    HotKeyManager hotKeys_;
};

}  // namespace corvane
