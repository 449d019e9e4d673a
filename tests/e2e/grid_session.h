#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <QImage>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/app_settings.h"
#include "core/rect.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::e2e {

// A window's rectangle on the root, in root pixels.
struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    double midX() const { return x + width / 2.0; }
    double midY() const { return y + height / 2.0; }
    bool operator==(const Box&) const = default;
};
std::string describe(const Box& box);

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Corvane running on a test desktop as a user starts it: its own settings
// folder (written first), past its first launch so the grid starts closed,
// and no session bus. Stopped with everything it started when this goes away.
class CorvaneSession {
public:
    static constexpr const char* previewTitle = "Corvane placement preview";

    // `extraEnvironment`: "NAME=value" entries such as "QT_SCALE_FACTOR=2".
    CorvaneSession(Desktop& desktop, const AppSettings& settings,
                   std::vector<std::string> extraEnvironment = {});
    ~CorvaneSession();
    CorvaneSession(const CorvaneSession&) = delete;
    CorvaneSession& operator=(const CorvaneSession&) = delete;

    // Starts Corvane and waits until it answers; false (and the log) when it does not.
    bool start(std::string* why = nullptr);
    pid_t pid() const { return process_.pid(); }
    ChildProcess& process() { return process_; }
    Outcome run(const std::vector<std::string>& arguments) const;
    std::string log() const;

    // Corvane's managed windows titled `title`.
    std::vector<xcb_window_t> windowsTitled(const std::string& title) const;
    // The open grid panels ("Corvane — <output>"), whatever their display.
    std::vector<xcb_window_t> panels() const;
    std::optional<xcb_window_t> panelOn(const std::string& output) const;
    // The preview overlay while it is mapped.
    std::optional<xcb_window_t> preview() const;
    // Whether one of Corvane's windows is the active one.
    bool isActive() const;
    std::string title(xcb_window_t window) const;

private:
    std::vector<std::string> environment() const;

    Desktop& desktop_;
    std::vector<std::string> extraEnvironment_;
    ChildProcess process_;
};

// Presses keys through XTest, as `xdotool key` does.
void pressKeys(const Desktop& desktop, const std::string& keys);
// The outer frame of a managed window, decorations included.
Box outerFrame(const Desktop& desktop, xcb_window_t window);
// A root window's pixels in `area` (all of it when empty).
QImage grabScreen(const Desktop& desktop, std::optional<Box> area = std::nullopt);
// A frame computed in points, rounded as the window system rounds it.
Box rounded(const Rect& frame);

}  // namespace corvane::e2e
