#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_shell.h"

namespace corvane::platform {

// Start at login, in memory. `failure` makes every change fail with that text.
class FakeLoginItem : public LoginItem {
public:
    bool isEnabled() override {
        ++reads;
        return enabled;
    }
    void setEnabled(bool wanted) override;

    bool enabled = false;
    std::optional<std::string> failure;
    int reads = 0;
    std::vector<bool> changes;  // every change asked for
};

}  // namespace corvane::platform
