#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/controller/tests/controller_fixture.h"
#include "app/shortcuts/recorder_button.h"
#include "platform/key_code_map.h"

namespace corvane::testing {

// The control of type T that assistive technologies know by `name`.
template <typename T>
T* named(const QWidget& root, const QString& name) {
    for (T* widget : root.findChildren<T*>()) {
        if (widget->accessibleName() == name) return widget;
    }
    return nullptr;
}

// A key pressed and released on `target` as the X server delivers it: with
// the X keycode of the key's position, so the recorder stores that position.
inline void pressKey(QWidget* target, std::uint16_t virtualKey, int qtKey,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const quint32 scanCode = platform::xKeycodeFor(virtualKey).value_or(0);
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, scanCode, 0, 0);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, scanCode, 0, 0);
    QApplication::sendEvent(target, &release);
}

// Clicks the recorder and presses the combination on it.
inline void recordKeys(RecorderButton* recorder, std::uint16_t virtualKey, int qtKey,
                       Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    recorder->click();
    pressKey(recorder, virtualKey, qtKey, modifiers);
}

inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Virtual key codes of the keys the tests press.
constexpr std::uint16_t keyL = 37;
constexpr std::uint16_t keyZ = 6;
constexpr std::uint16_t keyK = 40;
constexpr std::uint16_t keyReturn = 36;
constexpr std::uint16_t keyEscape = 53;

// A controller started on stored default settings (the ten starter layouts),
// with a settings window the editors open over.
class EditorTest : public ControllerTest {
protected:
    EditorTest() {
        auto keys = platform::FakeKeyMapping::us();
        keys[keyL] = "l";
        keys[keyK] = "k";
        keyMapping.setLayout(keys);
    }

    AppController& started(const std::function<void(AppSettings&)>& change = [](AppSettings&) {}) {
        AppController& c = make(change);
        c.start();
        return c;
    }

    const SavedLayout& stored(const std::string& name) const {
        for (const SavedLayout& layout : controller->settings().layouts) {
            if (layout.name == name) return layout;
        }
        throw std::runtime_error("no layout named " + name);
    }

    QWidget window;
};

}  // namespace corvane::testing
