#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>

namespace corvane {

class AppController;

// `corvane --smoke-test`: opens the grid on the real desktop, walks the
// controller through its everyday jobs (focus, keyboard selection,
// subdivision, dismissal, held size notices, Keep Open, the settings window,
// the global shortcuts) and ends the run with status 0, or 1 at the first
// check that fails. It moves no real window, so it needs no window control.
class SelfTest : public QObject {
public:
    struct Hooks {
        // Whether the desktop is locked; a locked desktop gives no keyboard focus.
        std::function<bool()> desktopLocked{};
        // PASS, SKIP and information lines (standard output when null).
        std::function<void(const std::string&)> out{};
        // FAIL lines (standard error when null).
        std::function<void(const std::string&)> err{};
        // Ends the run with this exit status.
        std::function<void(int status)> finish{};
    };

    SelfTest(AppController& controller, Hooks hooks);

    // Opens the grid, and a moment later runs the checks.
    void start();
    // The checks alone, on the grid `start` opened; the exit status they end with.
    int runChecks();

private:
    void runWhenSettled(int waited);
    void print(const std::string& line) const;
    void fail(const std::string& line) const;

    bool panelsVisible() const;
    bool keyboardFocus() const;
    bool keyboardSelection() const;
    bool subdivision() const;
    bool dismissal() const;
    bool backgroundNotice() const;
    bool deferredNotice() const;
    bool keepOpen() const;
    bool settingsWindow() const;
    bool shortcuts() const;

    AppController& controller_;
    Hooks hooks_;
};

}  // namespace corvane
