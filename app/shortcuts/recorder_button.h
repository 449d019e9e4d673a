#pragma once

#include <QPushButton>
#include <functional>
#include <optional>

#include "core/key_combo.h"

class QKeyEvent;
class QMouseEvent;

namespace corvane {

namespace platform {
class KeyMapping;
}

// The button that records a key combination: click it, press the keys, and it
// shows the new combination. Esc cancels, Delete alone clears, a second click,
// a click anywhere else or the window losing the keyboard ends recording.
// While it records it holds the keyboard grabbed, so a combination that the
// window manager or another program has bound reaches it too.
class RecorderButton : public QPushButton {
    Q_OBJECT

public:
    // Told of every recorded or cleared combination (nullopt: cleared).
    using ChangeHandler = std::function<void(const std::optional<KeyCombo>&)>;
    // Told when recording starts (true) and ends (false), once each.
    using RecordingHandler = std::function<void(bool)>;

    static constexpr const char* recordText = "Record shortcut";
    static constexpr const char* recordingText = "Press keys\u2026 (Esc cancels)";

    explicit RecorderButton(QWidget* parent = nullptr);
    ~RecorderButton() override;

    const std::optional<KeyCombo>& combo() const { return combo_; }
    // Shows `combo`; while recording the title keeps saying so.
    void setCombo(const std::optional<KeyCombo>& combo);
    void setOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }
    void setOnRecording(RecordingHandler handler) { onRecording_ = std::move(handler); }
    // The current keyboard layout, which labels recorded keys and the shown
    // combination; without one keys are labelled from what Qt reports.
    void setKeyMapping(platform::KeyMapping* mapping);

    bool isRecording() const { return recording_; }
    // The button's action: starts recording, or ends it when it is recording.
    void begin();
    // Ends recording without a change; does nothing when idle.
    void endRecording();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool handleKeyPress(const QKeyEvent& event);
    void handleMousePress(QObject* watched, const QMouseEvent& event);
    void record(const std::optional<KeyCombo>& combo);
    void grabTheKeyboard();
    void tryGrab();
    void releaseTheKeyboard();
    void showTitle();

    std::optional<KeyCombo> combo_;
    ChangeHandler onChange_;
    RecordingHandler onRecording_;
    bool recording_ = false;
    bool grabbing_ = false;
    int grabAttemptsLeft_ = 0;
    platform::KeyMapping* keyMapping_ = nullptr;
};

}  // namespace corvane
