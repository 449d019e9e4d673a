#pragma once

#include <functional>
#include <optional>

#include "app/shortcuts/recorder_button.h"

namespace corvane {

class AppController;

// A recorder button bound to the application: keys are labelled in the
// current keyboard layout, and while it records the controller holds every
// global hot key unregistered. `write` receives each recorded or cleared
// combination; the view shows the stored value again with setCombo().
class ShortcutRecorder : public RecorderButton {
    Q_OBJECT

public:
    using Writer = std::function<void(const std::optional<KeyCombo>&)>;

    ShortcutRecorder(AppController& controller, Writer write, QWidget* parent = nullptr);
};

}  // namespace corvane
