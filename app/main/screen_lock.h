#pragma once

namespace corvane {

// Whether the desktop's screen saver says the screen is locked, asked over
// the session bus (org.freedesktop.ScreenSaver). No bus, no screen saver or
// no answer in time counts as unlocked.
bool screenSaverActive();

}  // namespace corvane
