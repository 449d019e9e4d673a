#include "tests/e2e/harness/accessibility_bus.h"

#include <stdexcept>

#ifndef CORVANE_ATSPI_DRIVER
#error "CORVANE_ATSPI_DRIVER must name tests/e2e/atspi/atspi_driver.py"
#endif

namespace corvane::e2e {

AccessibilityBus::AccessibilityBus(const Desktop& desktop) : desktop_(desktop) {
    sessionBus_ =
        ChildProcess({.argv = {"dbus-daemon", "--session", "--nofork", "--print-address=1"},
                      .env = desktop.environment(),
                      .outputFile = (desktop.tempDir() / "dbus.log").string(),
                      .captureStdout = true});
    const auto address = sessionBus_.readLine(10s);
    if (!address || address->empty()) throw std::runtime_error("no session bus");
    address_ = *address;
    std::vector<std::string> env = desktop.environment();
    env.push_back("DBUS_SESSION_BUS_ADDRESS=" + address_);
    launcher_ = ChildProcess({.argv = {"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"},
                              .env = env,
                              .outputFile = (desktop.tempDir() / "at-spi.log").string()});
    // The accessibility bus is up once the launcher answers on the session bus.
    const bool up = waitUntil(
        [&] {
            return runCommand({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                               "/org/a11y/bus", "org.a11y.Bus.GetAddress"},
                              env, nullptr, 2s) == 0;
        },
        10s);
    if (!up) throw std::runtime_error("the accessibility bus did not start");
}

std::vector<std::string> AccessibilityBus::environment() const {
    return {"DBUS_SESSION_BUS_ADDRESS=" + address_, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1",
            "QT_ACCESSIBILITY=1", "NO_AT_BRIDGE=0"};
}

int AccessibilityBus::driver(const std::vector<std::string>& arguments, std::string* output,
                             std::string* errors) const {
    std::vector<std::string> argv = {"/usr/bin/python3", CORVANE_ATSPI_DRIVER};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = desktop_.environment();
    env.push_back("DBUS_SESSION_BUS_ADDRESS=" + address_);
    return runCommand(argv, env, output, 30s, errors);
}

}  // namespace corvane::e2e
