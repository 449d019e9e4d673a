// The one road of every placement: choose the target window, compute the
// destination, run the verified resize without blocking the event loop, and
// report the outcome now or at the next opening of the grid.

#include <QMetaObject>
#include <cmath>

#include "app/controller/app_controller.h"
#include "app/controller/interruptible_scheduler.h"
#include "app/controller/size_notice.h"
#include "app/panel/preview_overlay.h"
#include "app/panel/tile_panel.h"
#include "core/tile_geometry.h"
#include "core/window_error.h"
#include "core/window_resizer.h"

namespace corvane {

namespace {

std::vector<Rect> visibleFrames(const std::vector<platform::Display>& displays) {
    std::vector<Rect> frames;
    frames.reserve(displays.size());
    for (const platform::Display& display : displays) frames.push_back(display.visibleFrame);
    return frames;
}

const char* text(bool value) {
    return value ? "true" : "false";
}

void report(const PlacementCallback& done, PlacementOutcome::Kind kind, std::string text = {}) {
    if (done) done(PlacementOutcome{kind, std::move(text)});
}

}  // namespace

PlacementOutcome AppController::ignoredOutcome() const {
    return PlacementOutcome{PlacementOutcome::Kind::ignored, message_.value_or(std::string())};
}

std::optional<Rect> AppController::targetFrame(const PlacementCallback& done) {
    try {
        return windows_.frame(*target_);
    } catch (const std::exception& error) {
        showError(error);
        report(done, PlacementOutcome::Kind::failed, describeError(error));
        return std::nullopt;
    }
}

void AppController::refreshTarget() {
    rememberFrontmostApp();
    try {
        target_ = windows_.focusedTarget(lastExternalApp_);
        setMessage(std::nullopt, false);
    } catch (const std::exception& error) {
        target_.reset();
        if (permissionGranted_) showError(error);
    }
}

void AppController::showError(const std::exception& error) {
    setMessage(describeError(error), true);
    previewOverlay_->hide();
    notify();
}

void AppController::applyRegion(const TileRegion& region, const platform::Display& display,
                                bool shiftHeld) {
    if (isApplying_) return;
    if (!target_) refreshTarget();
    if (!target_) {
        notify();
        return;
    }
    const Rect frame = TileGeometry::frame(region, display.visibleFrame, settings_.margins);
    // Shift reverses "Keep the grid open" for this one placement.
    const bool keepOpen = settings_.keepPanelOpen != shiftHeld;
    startPlacement(*target_, frame, std::nullopt, keepOpen, nullptr);
}

void AppController::applyLayout(const SavedLayout& layout,
                                const std::optional<platform::Display>& display) {
    applyLayout(layout, display, nullptr);
}

void AppController::applyLayout(const SavedLayout& layout,
                                const std::optional<platform::Display>& display,
                                PlacementCallback done) {
    if (isApplying_) return report(done, PlacementOutcome::Kind::ignored);
    // A hot key always acts on the application the user is in.
    if (panels_.empty() || !target_) refreshTarget();
    if (!target_) {
        showPanels();  // the grid tells why nothing can be placed
        notify();
        if (done) done(ignoredOutcome());
        return;
    }

    const std::optional<Rect> read = targetFrame(done);
    if (!read) return;
    const Rect current = *read;
    const std::vector<platform::Display> displays = currentDisplays();
    const std::optional<std::size_t> windowIndex =
        TileGeometry::screenIndex(current, visibleFrames(displays));
    if (!windowIndex) return report(done, PlacementOutcome::Kind::ignored);

    platform::Display chosen = displays[*windowIndex];
    if (display) {
        chosen = *display;
    } else {
        if (!layout.isGlobal) {
            if (const auto key = keyPanelIndex()) chosen = panels_[*key].display;
        }
        // Repeating a layout on the window it just placed walks it through the displays.
        const bool repeated = settings_.cycleDisplays && lastLayout_ &&
                              lastLayout_->id == layout.id &&
                              lastLayout_->window == target_->window &&
                              WindowResizer::matches(lastLayout_->frame, current);
        if (repeated) chosen = displays[(*windowIndex + 1) % displays.size()];
    }

    const Rect frame = TileGeometry::frame(layout.region, chosen.visibleFrame, settings_.margins);
    startPlacement(*target_, frame, layout.id, settings_.keepPanelOpen, std::move(done));
}

void AppController::moveToNextDisplay() {
    if (isApplying_) return;
    if (!target_) refreshTarget();
    if (!target_) {
        notify();
        return;
    }
    const std::optional<Rect> read = targetFrame(nullptr);
    if (!read) return;
    const Rect current = *read;
    const std::vector<platform::Display> displays = currentDisplays();
    if (displays.size() < 2) return;
    const std::vector<Rect> frames = visibleFrames(displays);
    const std::optional<std::size_t> index = TileGeometry::screenIndex(current, frames);
    if (!index) return;
    const Rect frame =
        TileGeometry::relocate(current, frames[*index], frames[(*index + 1) % frames.size()]);
    startPlacement(*target_, frame, std::nullopt, settings_.keepPanelOpen, nullptr);
}

void AppController::startPlacement(const WindowTarget& target, const Rect& frame,
                                   std::optional<Uuid> layoutId, bool keepOpen,
                                   PlacementCallback done) {
    if (isApplying_) return report(done, PlacementOutcome::Kind::ignored);
    pendingResizeNotice_.reset();
    isApplying_ = true;
    setMessage("Arranging window\u2026", false);
    previewOverlay_->hide();
    notify();

    const PlacementJob job{target, frame, layoutId, panelGeneration_, keepOpen};
    if (options_.diagnostics) {
        try {
            const Rect current = windows_.frame(job.target);
            const std::string app = job.target.app.wmClass.empty() ? "app" : job.target.app.wmClass;
            diagnostic("Resize " + app + ": " + describe(current) + " \u2192 " +
                       describe(job.frame));
        } catch (const std::exception& error) {
            // The window is not moved when it cannot even be read.
            failJob(job, error, done);
            endAsyncWork();
            return;
        }
    }

    activeScheduler_ = std::make_unique<InterruptibleScheduler>(services_.makeScheduler());
    Scheduler& scheduler = *activeScheduler_;
    const double startTime = scheduler.now();
    const QPointer<AppController> self(this);
    corvane::start(
        windows_.apply(job.frame, job.target, true, settings_.animateWindows, scheduler),
        [self, job, startTime, done](std::optional<bool> exact, std::exception_ptr error) {
            // A result during shutdown goes nowhere: its caller may be gone too.
            if (self) {
                self->finishJob(job, exact, error, startTime, self->shuttingDown_ ? nullptr : done);
            }
        });
}

void AppController::finishJob(const PlacementJob& job, std::optional<bool> exact,
                              std::exception_ptr error, double startTime,
                              const PlacementCallback& done) {
    const double endTime = activeScheduler_ ? activeScheduler_->now() : startTime;
    try {
        if (error) std::rethrow_exception(error);
        const Rect final = windows_.frame(job.target);
        const bool isExact = exact.value_or(false);
        const auto milliseconds = static_cast<long long>(std::trunc((endTime - startTime) * 1000));
        diagnostic("Resize result: " + describe(final) + ", exact=" + text(isExact) +
                   ", duration=" + std::to_string(milliseconds) + "ms");
        if (isExact && job.layoutId) {
            lastLayout_ = LastLayout{*job.layoutId, job.target.window, final};
        } else {
            lastLayout_.reset();
        }
        const std::optional<std::string> notice =
            isExact ? std::nullopt : std::optional<std::string>(std::string(SizeNotice));
        if (job.generation == panelGeneration_ && !shuttingDown_)
            finishPlacement(notice, job.keepOpen);
        report(done, isExact ? PlacementOutcome::Kind::exact : PlacementOutcome::Kind::notExact,
               notice.value_or(std::string()));
    } catch (const std::exception& failure) {
        failJob(job, failure, done);
    }
    endAsyncWork();
}

void AppController::failJob(const PlacementJob& job, const std::exception& error,
                            const PlacementCallback& done) {
    lastLayout_.reset();
    if (job.generation == panelGeneration_ && !shuttingDown_) {
        showError(error);
        if (panels_.empty()) pendingResizeNotice_ = message_;
    }
    report(done, PlacementOutcome::Kind::failed, describeError(error));
}

// Every placement and undo ends here, whatever happened.
void AppController::endAsyncWork() {
    isApplying_ = false;
    canUndo_ = !windows_.history().empty();
    if (activeScheduler_ && !shuttingDown_) {
        // The scheduler may be what is resuming us right now: free it from the event loop.
        std::shared_ptr<InterruptibleScheduler> finished(std::move(activeScheduler_));
        QMetaObject::invokeMethod(
            this, [finished] {}, Qt::QueuedConnection);
    }
    notify();
}

void AppController::finishPlacement(const std::optional<std::string>& notice, bool keepOpen) {
    setMessage(notice, notice.has_value());
    if (panels_.empty()) {
        pendingResizeNotice_ = notice;  // a hot key placement: shown at the next opening
    } else if (!keepOpen) {
        pendingResizeNotice_ = notice;
        closePanels(true);
    }
    notify();
}

void AppController::undoLastPlacement() {
    undoLastPlacement(nullptr);
}

void AppController::undoLastPlacement(PlacementCallback done) {
    if (isApplying_ || windows_.history().empty())
        return report(done, PlacementOutcome::Kind::ignored);
    isApplying_ = true;
    previewOverlay_->hide();
    const int generation = panelGeneration_;
    notify();

    activeScheduler_ = std::make_unique<InterruptibleScheduler>(services_.makeScheduler());
    const QPointer<AppController> self(this);
    corvane::start(windows_.undo(settings_.animateWindows, *activeScheduler_),
                   [self, generation, done](std::optional<bool> exact, std::exception_ptr error) {
                       if (self) {
                           self->finishUndo(exact, error, generation,
                                            self->shuttingDown_ ? nullptr : done);
                       }
                   });
}

void AppController::finishUndo(std::optional<bool> exact, std::exception_ptr error, int generation,
                               const PlacementCallback& done) {
    const bool current = generation == panelGeneration_ && !shuttingDown_;
    try {
        if (error) std::rethrow_exception(error);
        const bool isExact = exact.value_or(false);
        lastLayout_.reset();
        if (current) {
            setMessage(isExact ? std::string("Restored the previous window position.")
                               : std::string(SizeNotice),
                       !isExact);
            diagnostic(std::string("Undo result: exact=") + text(isExact));
        }
        report(done, isExact ? PlacementOutcome::Kind::exact : PlacementOutcome::Kind::notExact,
               message_.value_or(std::string()));
    } catch (const std::exception& failure) {
        if (current) showError(failure);
        report(done, PlacementOutcome::Kind::failed, describeError(failure));
    }
    endAsyncWork();
}

void AppController::updatePreview(const std::optional<TileRegion>& region,
                                  const platform::Display& display) {
    if (!isApplying_ && settings_.showPreview && region && permissionGranted_ && target_) {
        const Rect frame = TileGeometry::frame(*region, display.visibleFrame, settings_.margins);
        const bool appearing = !previewOverlay_->isShown();
        previewOverlay_->show(frame, settings_.animatePreview);
        // A newly mapped window lands on top of its layer, and not every window
        // manager lets the overlay go below the panels again: raise them instead.
        if (appearing) {
            for (PanelEntry& entry : panels_) {
                if (entry.panel) entry.panel->raise();
            }
        }
    } else {
        previewOverlay_->hide();
    }
}

}  // namespace corvane
