#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace corvane {

// Why a window could not be found or arranged. Each case has a fixed text that
// the panels show unchanged. `failed` carries the X error code.
class WindowError : public std::exception {
public:
    enum class Kind { failed, permission, noWindow, closed, fullscreen, minimized, fixedSize };

    explicit WindowError(Kind kind, std::int32_t code = 0) : kind_(kind), code_(code) {}
    static WindowError failed(std::int32_t code) { return WindowError(Kind::failed, code); }

    Kind kind() const { return kind_; }
    std::int32_t code() const { return code_; }
    std::string description() const;
    const char* what() const noexcept override;

    bool operator==(const WindowError& other) const {
        return kind_ == other.kind_ && (kind_ != Kind::failed || code_ == other.code_);
    }

private:
    Kind kind_;
    std::int32_t code_;
    mutable std::string text_;
};

// Why the resizer gave up on a window.
class WindowResizeError : public std::exception {
public:
    enum class Kind { invalidFrame, unchanged };

    explicit WindowResizeError(Kind kind) : kind_(kind) {}
    Kind kind() const { return kind_; }
    std::string description() const;
    const char* what() const noexcept override;

    bool operator==(const WindowResizeError& other) const { return kind_ == other.kind_; }

private:
    Kind kind_;
};

// The user-facing text of any error Corvane reports: the description of its
// own errors, what() of anything else.
std::string describeError(const std::exception& error);

}  // namespace corvane
