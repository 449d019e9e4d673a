#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <stdexcept>

#include "app/controller/settings_actions.h"
#include "app/controller/tests/controller_fixture.h"
#include "app/settings_window/settings_window.h"

namespace corvane::testing {

// The settings window over a controller on the fake desktop, opened as the
// user opens it. Controls are found as screen readers find them: by name.
class SettingsWindowTest : public ControllerTest {
protected:
    SettingsWindowTest() {
        makeSettingsWindow = [](AppController& c) { return new SettingsWindow(c); };
    }

    // Stored settings are the defaults changed by `change`.
    SettingsWindow& open(const std::function<void(AppSettings&)>& change = [](AppSettings&) {}) {
        AppController& c = make(change);
        c.start();
        c.showSettings();
        window = qobject_cast<SettingsWindow*>(c.settingsWindow());
        if (!window) throw std::runtime_error("no settings window");
        return *window;
    }

    // The one control named `name` (a test failure when there is none or more).
    template <class Control = QWidget>
    Control* named(const QString& name) const {
        Control* found = nullptr;
        int count = 0;
        for (Control* control : window->findChildren<Control*>()) {
            if (control->accessibleName() != name) continue;
            found = control;
            ++count;
        }
        EXPECT_EQ(count, 1) << "controls named " << name.toStdString();
        return count == 1 ? found : nullptr;
    }

    void click(const QString& name) const {
        if (auto* button = named<QAbstractButton>(name)) button->click();
    }

    // Types `text` into the field as the user would, and leaves it with Return.
    void type(const QString& fieldName, const QString& text) const {
        QLineEdit* field = named<QLineEdit>(fieldName);
        if (!field) return;
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

    std::string storedFile() const { return readFile(controller->store().url()); }

    SettingsWindow* window = nullptr;
};

}  // namespace corvane::testing
