#include "app/shortcuts/recorder_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "platform/fake/fake_key_mapping.h"

namespace corvane {
namespace {

// X keycodes of the keys pressed here (evdev code + 8).
constexpr quint32 xT = 28, xA = 38, xY = 29, xBackspace = 22, xDelete = 119, xEscape = 9, xF5 = 71,
                  xSpace = 65, xReturn = 36, xPrint = 107, xControl = 37;

// What the surrounding view hears, in order.
struct Heard {
    std::vector<std::string> events;
    std::optional<KeyCombo> last;
};

class RecorderButtonTest : public ::testing::Test {
protected:
    RecorderButtonTest() {
        auto* layout = new QVBoxLayout(&window);
        button = new RecorderButton;
        other = new QPushButton(QStringLiteral("Other"));
        layout->addWidget(button);
        layout->addWidget(other);
        button->setOnChange([this](const std::optional<KeyCombo>& combo) {
            heard.events.push_back(combo ? "change " + combo->displayString() : "cleared");
            heard.last = combo;
        });
        button->setOnRecording(
            [this](bool recording) { heard.events.push_back(recording ? "recording" : "idle"); });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void press(quint32 xKeycode, int qtKey, Qt::KeyboardModifiers modifiers = {},
               const QString& text = {}) {
        QKeyEvent down(QEvent::KeyPress, qtKey, modifiers, xKeycode, 0, 0, text);
        QApplication::sendEvent(button, &down);
        QKeyEvent up(QEvent::KeyRelease, qtKey, modifiers, xKeycode, 0, 0, text);
        QApplication::sendEvent(button, &up);
    }
    void startRecording() {
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(button->isRecording());
        ASSERT_EQ(button->text(), QString::fromUtf8("Press keys\u2026 (Esc cancels)"));
    }

    Heard heard;  // outlives the window: a button destroyed while recording still reports
    QWidget window;
    RecorderButton* button = nullptr;
    QPushButton* other = nullptr;
};

TEST_F(RecorderButtonTest, RecordsTheKeyWithItsModifiersAndShowsIt) {
    EXPECT_EQ(button->text(), QStringLiteral("Record shortcut"));
    startRecording();
    press(xControl, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(button->isRecording()) << "a modifier alone waits for its key";
    press(xT, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    ASSERT_TRUE(heard.last);
    EXPECT_EQ(*heard.last, (KeyCombo{17, KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super, "T"}));
    EXPECT_EQ(button->combo(), heard.last);
    EXPECT_FALSE(button->isRecording());
    EXPECT_EQ(button->text(), QStringLiteral("Ctrl+Alt+Super+T"));
    // The new value arrives while recording is still on, so the view has it
    // before the hot keys are registered again.
    EXPECT_EQ(heard.events,
              (std::vector<std::string>{"recording", "change Ctrl+Alt+Super+T", "idle"}));
}

TEST_F(RecorderButtonTest, NamesKeysByTheirPlaceNotByWhatModifiersType) {
    const struct {
        quint32 xKeycode;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        QString text;
        KeyCombo expected;
    } cases[] = {
        {xA, Qt::Key_A, Qt::AltModifier, QString::fromUtf8("\u00e5"), {0, KeyCombo::alt, "A"}},
        {xF5, Qt::Key_F5, {}, {}, {96, 0, "F5"}},
        {xSpace, Qt::Key_Space, {}, QStringLiteral(" "), {49, 0, "Space"}},
        {xReturn, Qt::Key_Return, {}, QStringLiteral("\r"), {36, 0, "\u21A9"}},
        {xBackspace, Qt::Key_Backspace, Qt::ShiftModifier, {}, {51, KeyCombo::shift, "\u232B"}},
    };
    for (const auto& c : cases) {
        startRecording();
        press(c.xKeycode, c.qtKey, c.modifiers, c.text);
        EXPECT_EQ(button->combo(), c.expected) << c.expected.displayString();
    }
}

TEST_F(RecorderButtonTest, LabelsTheKeyInTheCurrentLayout) {
    platform::FakeKeyMapping german(platform::FakeKeyMapping::german());
    button->setKeyMapping(&german);
    startRecording();
    press(xY, Qt::Key_Z, Qt::ControlModifier);  // the key right of T types "z" on a German keyboard
    EXPECT_EQ(button->combo(), (KeyCombo{16, KeyCombo::ctrl, "Z"}));
    EXPECT_EQ(button->text(), QStringLiteral("Ctrl+Z"));
}

TEST_F(RecorderButtonTest, EscapeCancelsAndTheDeleteKeysAloneClear) {
    const KeyCombo kept{17, KeyCombo::ctrl, "T"};
    button->setCombo(kept);
    startRecording();
    press(xEscape, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_FALSE(button->isRecording());
    EXPECT_EQ(button->combo(), kept) << "Esc with any modifiers cancels";
    EXPECT_EQ(button->text(), QStringLiteral("Ctrl+T"));

    for (const auto& [xKeycode, qtKey] :
         {std::pair{xBackspace, Qt::Key_Backspace}, std::pair{xDelete, Qt::Key_Delete}}) {
        button->setCombo(kept);
        heard = {};
        startRecording();
        press(xKeycode, qtKey);
        EXPECT_FALSE(button->combo());
        EXPECT_EQ(heard.events, (std::vector<std::string>{"recording", "cleared", "idle"}));
        EXPECT_EQ(button->text(), QStringLiteral("Record shortcut"));
    }
}

TEST_F(RecorderButtonTest, AKeyWithoutAStoredCodeIsNotRecordedAndTheTooltipSaysWhy) {
    startRecording();
    press(xPrint, Qt::Key_Print);
    EXPECT_TRUE(button->isRecording());
    EXPECT_FALSE(button->combo());
    EXPECT_TRUE(button->toolTip().contains(QStringLiteral("cannot be stored")));
    press(xT, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(button->combo(), (KeyCombo{17, KeyCombo::ctrl, "T"}));
    EXPECT_TRUE(button->toolTip().isEmpty());
}

// Every way out of recording tells the view exactly once, and leaves the
// combination as it was.
TEST_F(RecorderButtonTest, EveryOtherWayOutEndsRecordingOnceWithoutChange) {
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"second click", [&] { QTest::mouseClick(button, Qt::LeftButton); }},
        {"click elsewhere", [&] { QTest::mouseClick(other, Qt::LeftButton); }},
        {"focus elsewhere", [&] { other->setFocus(Qt::TabFocusReason); }},
        {"window closed", [&] { window.hide(); }},
    };
    for (const auto& [name, end] : ways) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        heard = {};
        startRecording();
        end();
        EXPECT_FALSE(button->isRecording()) << name;
        EXPECT_EQ(heard.events, (std::vector<std::string>{"recording", "idle"})) << name;
        EXPECT_FALSE(button->combo()) << name;
        EXPECT_EQ(button->text(), QStringLiteral("Record shortcut")) << name;
    }
}

TEST_F(RecorderButtonTest, ADestroyedButtonEndsItsRecording) {
    startRecording();
    delete button;
    button = nullptr;
    EXPECT_EQ(heard.events, (std::vector<std::string>{"recording", "idle"}));
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr) << "the keyboard goes back to the application";
}

TEST_F(RecorderButtonTest, TheWindowsShortcutsDoNotStealTheKeysWhileRecording) {
    startRecording();
    QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_S, Qt::AltModifier, 47, 0, 0);
    shortcut.ignore();
    QApplication::sendEvent(button, &shortcut);
    EXPECT_TRUE(shortcut.isAccepted());
}

}  // namespace
}  // namespace corvane
