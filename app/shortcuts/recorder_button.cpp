#include "app/shortcuts/recorder_button.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include "app/shortcuts/key_event_combo.h"
#include "platform/key_mapping.h"
#include "platform/shown_shortcut.h"

namespace corvane {

namespace {

constexpr std::uint16_t escapeKey = 53;
constexpr std::uint16_t backspaceKey = 51;
constexpr std::uint16_t forwardDeleteKey = 117;

// The window manager may hold the keyboard for a moment (a key binding being
// released); the grab is tried again this often before recording goes on
// without it.
constexpr int grabAttempts = 10;
constexpr int grabRetryMilliseconds = 50;

const char* const unrecordableKeyTip =
    "That key cannot be stored as a shortcut. Press another key, or Esc to cancel.";

}  // namespace

RecorderButton::RecorderButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &RecorderButton::begin);
    showTitle();
}

// Recording never outlives the button: the keyboard is handed back and the
// surrounding view hears that it ended.
RecorderButton::~RecorderButton() {
    endRecording();
}

void RecorderButton::setCombo(const std::optional<KeyCombo>& combo) {
    combo_ = combo;
    if (!recording_) showTitle();
}

void RecorderButton::setKeyMapping(platform::KeyMapping* mapping) {
    keyMapping_ = mapping;
    if (!recording_) showTitle();
}

void RecorderButton::begin() {
    if (recording_) {
        endRecording();
        return;
    }
    recording_ = true;
    setText(QString::fromUtf8(recordingText));
    setToolTip({});
    if (onRecording_) onRecording_(true);
    if (window() != nullptr) setFocus(Qt::OtherFocusReason);
    qApp->installEventFilter(this);
    grabTheKeyboard();
}

void RecorderButton::endRecording() {
    if (!recording_) return;
    recording_ = false;
    qApp->removeEventFilter(this);
    releaseTheKeyboard();
    showTitle();
    setToolTip({});
    if (onRecording_) onRecording_(false);
}

bool RecorderButton::eventFilter(QObject* watched, QEvent* event) {
    if (!recording_) return false;
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // The key comes to the recorder rather than to a shortcut of the window
            // (a button's Alt mnemonic, a dialog's Esc).
            if (!modifierKeyBit(static_cast<QKeyEvent*>(event)->key())) event->accept();
            return false;
        case QEvent::KeyPress:
            return handleKeyPress(*static_cast<QKeyEvent*>(event));
        case QEvent::KeyRelease:
            return !modifierKeyBit(static_cast<QKeyEvent*>(event)->key());
        case QEvent::MouseButtonPress:
            handleMousePress(watched, *static_cast<QMouseEvent*>(event));
            return false;
        default:
            return false;
    }
}

bool RecorderButton::handleKeyPress(const QKeyEvent& event) {
    if (modifierKeyBit(event.key())) return false;  // wait for the key they modify
    const std::optional<KeyCombo> pressed = keyComboFromEvent(event, keyMapping_);
    if (!pressed) {
        setToolTip(QString::fromUtf8(unrecordableKeyTip));
        return true;
    }
    if (pressed->keyCode == escapeKey) {
        endRecording();
        return true;
    }
    const bool deleteKey = pressed->keyCode == backspaceKey || pressed->keyCode == forwardDeleteKey;
    record(deleteKey && pressed->modifiers == 0 ? std::nullopt : pressed);
    return true;
}

// A press on the button itself is left to its click, which cancels; a press
// anywhere else ends recording and goes where it was aimed. Each press is
// seen by the window first and then by the widget under it: the widget's
// turn decides.
void RecorderButton::handleMousePress(QObject* watched, const QMouseEvent& event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return;
    const bool onButton = widget == this || isAncestorOf(widget);
    if (!onButton || !rect().contains(mapFromGlobal(event.globalPosition().toPoint())))
        endRecording();
}

// The new value is handed over while recording is still on, so the view
// holds it before the hot keys are registered again.
void RecorderButton::record(const std::optional<KeyCombo>& combo) {
    combo_ = combo;
    if (onChange_) onChange_(combo_);
    endRecording();
}

void RecorderButton::focusOutEvent(QFocusEvent* event) {
    // A menu popping up over the window takes no focus from the recorder.
    if (event->reason() != Qt::PopupFocusReason) endRecording();
    QPushButton::focusOutEvent(event);
}

void RecorderButton::hideEvent(QHideEvent* event) {
    endRecording();
    QPushButton::hideEvent(event);
}

// Qt routes every key to the button, and the X server every key to its
// window, even combinations the window manager has bound for itself.
void RecorderButton::grabTheKeyboard() {
    grabKeyboard();
    grabbing_ = true;
    grabAttemptsLeft_ = grabAttempts;
    tryGrab();
}

void RecorderButton::tryGrab() {
    if (!recording_ || !grabbing_ || grabAttemptsLeft_ <= 0) return;
    --grabAttemptsLeft_;
    QWindow* handle = window() != nullptr ? window()->windowHandle() : nullptr;
    if (handle != nullptr && handle->setKeyboardGrabEnabled(true)) return;
    QTimer::singleShot(grabRetryMilliseconds, this, &RecorderButton::tryGrab);
}

void RecorderButton::releaseTheKeyboard() {
    if (!grabbing_) return;
    grabbing_ = false;
    releaseKeyboard();
    if (QWindow* handle = window() != nullptr ? window()->windowHandle() : nullptr)
        handle->setKeyboardGrabEnabled(false);
}

void RecorderButton::showTitle() {
    if (recording_) return;
    setText(combo_ ? QString::fromStdString(platform::shownShortcut(*combo_, keyMapping_))
                   : QString::fromUtf8(recordText));
}

}  // namespace corvane
