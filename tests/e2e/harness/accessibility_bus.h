#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::e2e {

// A private session bus with the accessibility bus on it, so that a program
// started with environment() shows its windows and controls over AT-SPI as
// screen readers see them, and driver() can find and press them by name.
// Both buses stop with this object, or with the test process.
class AccessibilityBus {
public:
    explicit AccessibilityBus(const Desktop& desktop);  // throws std::runtime_error

    // The session bus and Qt's accessibility switch, for the program to inspect.
    std::vector<std::string> environment() const;

    // Runs tests/e2e/atspi/atspi_driver.py with `arguments`: its exit status,
    // its output in `output` and its complaint in `errors`.
    int driver(const std::vector<std::string>& arguments, std::string* output = nullptr,
               std::string* errors = nullptr) const;

private:
    const Desktop& desktop_;
    ChildProcess sessionBus_;
    ChildProcess launcher_;
    std::string address_;
};

}  // namespace corvane::e2e
