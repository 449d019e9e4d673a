#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "core/rect.h"
#include "core/window_error.h"
#include "core/window_frame_access.h"

namespace corvane::testing {

enum class SimulatedWindowCall { frame, setSize, setPosition };

// How a SimulatedWindow misbehaves; the default obeys every write at once.
struct SimulatedWindowOptions {
    bool ignoreWrites = false;
    // Widths below this are raised to it (an application's minimum size).
    double minimumWidth = 0;
    // Added to the origin whenever the size really changes (a window that
    // grows around its centre, or a window manager that re-places it).
    double shiftOnResizeX = 0;
    double shiftOnResizeY = 0;
    // A write becomes visible only after this many further reads.
    int lateReads = 0;
    // Size writes for which this returns true are ignored.
    std::function<bool(double width, double height)> refusesSize = {};
    // The access call that fails, after how many successful calls of its kind, and with what.
    std::optional<SimulatedWindowCall> failingCall = {};
    int failAfter = 0;
    WindowError failure = WindowError(WindowError::Kind::closed);
};

// A window in memory that behaves like the awkward windows of real
// applications, and records every read and write the resizer makes.
class SimulatedWindow : public WindowFrameAccess {
public:
    using Call = SimulatedWindowCall;
    using Options = SimulatedWindowOptions;

    struct Write {
        Call call;      // setSize or setPosition
        double first;   // width or x
        double second;  // height or y
        bool operator==(const Write&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Write& w) {
            return out << (w.call == Call::setSize ? "size " : "position ")
                       << describeSize(w.first, w.second);
        }
    };

    explicit SimulatedWindow(Rect frame, Options options = {})
        : frame_(frame), options_(std::move(options)) {}

    Rect frame() override {
        failIfDue(Call::frame, reads);
        ++reads;
        const Rect seen = frame_;
        for (auto& p : pending_) --p.second;
        while (!pending_.empty() && pending_.front().second <= 0) {
            apply(pending_.front().first);
            pending_.pop_front();
        }
        return seen;
    }
    void setSize(double width, double height) override { record({Call::setSize, width, height}); }
    void setPosition(double x, double y) override { record({Call::setPosition, x, y}); }

    // What the next read returns, without counting as a read.
    Rect visibleFrame() const { return frame_; }
    int count(Call call) const {
        return int(std::count_if(writes.begin(), writes.end(),
                                 [&](const Write& w) { return w.call == call; }));
    }
    int sizeWrites() const { return count(Call::setSize); }
    int positionWrites() const { return count(Call::setPosition); }
    int writeCount() const { return int(writes.size()); }

    int reads = 0;
    std::vector<Write> writes;

private:
    void failIfDue(Call call, int done) const {
        if (options_.failingCall == call && done >= options_.failAfter) throw options_.failure;
    }
    void record(const Write& write) {
        failIfDue(write.call, count(write.call));
        writes.push_back(write);
        if (options_.lateReads > 0) {
            pending_.emplace_back(write, options_.lateReads);
        } else {
            apply(write);
        }
    }
    void apply(const Write& write) {
        if (options_.ignoreWrites) return;
        if (write.call == Call::setPosition) {
            frame_.x = write.first;
            frame_.y = write.second;
            return;
        }
        if (options_.refusesSize && options_.refusesSize(write.first, write.second)) return;
        const double width = std::max(write.first, options_.minimumWidth);
        if (width == frame_.width && write.second == frame_.height) return;
        frame_.width = width;
        frame_.height = write.second;
        frame_.x += options_.shiftOnResizeX;
        frame_.y += options_.shiftOnResizeY;
    }

    Rect frame_;
    Options options_;
    std::deque<std::pair<Write, int>> pending_;  // a late write and the reads it still waits
};

}  // namespace corvane::testing
