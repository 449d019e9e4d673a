#include "app/settings_window/shortcut_recorder.h"

#include <QPointer>

#include "app/controller/app_controller.h"

namespace corvane {

ShortcutRecorder::ShortcutRecorder(AppController& controller, Writer write, QWidget* parent)
    : RecorderButton(parent) {
    setKeyMapping(controller.services().keyMapping);
    setOnChange(std::move(write));
    // The button may outlive the controller's interest (it ends recording as
    // it is destroyed); a controller that is gone hears nothing.
    setOnRecording([controller = QPointer<AppController>(&controller)](bool recording) {
        if (controller) controller->setRecordingActive(recording);
    });
}

}  // namespace corvane
