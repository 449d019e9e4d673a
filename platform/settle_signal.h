#pragma once

#include <functional>
#include <optional>
#include <utility>

namespace corvane::platform {

// Tells a settle pause when the desktop has dealt with everything Corvane
// asked of a window, so that the pause can end before its time is up. The
// resizer still reads the frame after every pause and decides as before; only
// the waiting between its reads gets shorter. A desktop that gives no such
// sign leaves every pause to run its full time.
class SettleSignal {
public:
    virtual ~SettleSignal() = default;

    // Starts a pause: settledIn() now waits for an answer to everything sent so far.
    virtual void beginPause() = 0;
    // When the pause begun last may end: now (0), after that many seconds
    // unless something changes first, or none: not before the next change.
    virtual std::optional<double> settledIn() = 0;
    // For a caller whose own thread handles the connection's events (the
    // command-line tools): handles them until the pause may end or `seconds`
    // have passed; true in the first case.
    virtual bool waitSettled(double seconds) = 0;

    // Called, from event handling, whenever settledIn() may have changed.
    // One listener at a time; an empty function removes it.
    void setListener(std::function<void()> listener) { listener_ = std::move(listener); }

protected:
    // A copy runs, so that the listener may remove itself.
    void notifyListener() {
        if (auto listener = listener_) listener();
    }

private:
    std::function<void()> listener_;
};

}  // namespace corvane::platform
