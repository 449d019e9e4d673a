// The one road of every placement: choose the target window, compute the
// destination, run the verified resize without blocking the event loop, and
// report the outcome now or at the next opening of the grid.

#include "app/controller/placement_runner.h"

#include <QMetaObject>
#include <QPointer>
#include <cmath>

#include "app/controller/app_controller.h"
#include "app/controller/messages.h"
#include "app/panel/preview_overlay.h"
#include "app/window/window_manager.h"
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

void PlacementRunner::interrupt() {
    if (activeScheduler_) activeScheduler_->interrupt();
}

PlacementOutcome PlacementRunner::ignoredOutcome() const {
    return PlacementOutcome{PlacementOutcome::Kind::ignored,
                            controller_.message().value_or(std::string())};
}

std::optional<Rect> PlacementRunner::targetFrame(const PlacementCallback& done) {
    try {
        return controller_.windows().frame(*controller_.target());
    } catch (const std::exception& error) {
        showError(error);
        report(done, PlacementOutcome::Kind::failed, describeError(error));
        return std::nullopt;
    }
}

void PlacementRunner::rememberFrontmostApp() {
    const AppServices& services = controller_.services();
    std::optional<platform::AppRef> app = services.windows.frontmostApp();
    if (!app) return;
    if (app->pid > 0 && app->pid == services.ownPid) return;
    lastExternalApp_ = std::move(app);
}

void PlacementRunner::noteActivatedApp(const platform::AppRef& app) {
    const int ownPid = controller_.services().ownPid;
    if (!(app.pid > 0 && app.pid == ownPid)) lastExternalApp_ = app;
}

void PlacementRunner::refreshTarget() {
    ControllerState& state = controller_.state();
    rememberFrontmostApp();
    try {
        state.target = controller_.windows().focusedTarget(lastExternalApp_);
        state.setMessage(std::nullopt, false);
    } catch (const std::exception& error) {
        state.target.reset();
        if (state.permissionGranted) showError(error);
    }
}

void PlacementRunner::showError(const std::exception& error) {
    controller_.state().setMessage(describeError(error), true);
    controller_.previewOverlay()->hide();
    controller_.notify();
}

bool PlacementRunner::readyToPlace() {
    const ControllerState& state = controller_.state();
    if (state.isApplying) return false;
    if (!state.target) refreshTarget();
    if (!state.target) {
        controller_.notify();  // the grid says why nothing can be placed
        return false;
    }
    return true;
}

void PlacementRunner::applyRegion(const TileRegion& region, const platform::Display& display,
                                  bool shiftHeld) {
    if (!readyToPlace()) return;
    const ControllerState& state = controller_.state();
    const AppSettings& settings = state.settings;
    const Rect frame = TileGeometry::frame(region, display.visibleFrame, settings.margins);
    // Shift reverses "Keep the grid open" for this one placement.
    const bool keepOpen = settings.keepPanelOpen != shiftHeld;
    start(*state.target, frame, std::nullopt, keepOpen, nullptr);
}

void PlacementRunner::applyLayout(const SavedLayout& layout,
                                  const std::optional<platform::Display>& display,
                                  const PlacementCallback& done) {
    const ControllerState& state = controller_.state();
    if (state.isApplying) return report(done, PlacementOutcome::Kind::ignored);
    // A hot key always acts on the application the user is in.
    if (!controller_.panelsOpen() || !state.target) refreshTarget();
    if (!state.target) {
        controller_.showPanels();  // the grid tells why nothing can be placed
        controller_.notify();
        if (done) done(ignoredOutcome());
        return;
    }

    const std::optional<Rect> read = targetFrame(done);
    if (!read) return;
    const Rect current = *read;
    const std::vector<platform::Display> displays = controller_.services().displays.displays();
    const std::optional<std::size_t> windowIndex =
        TileGeometry::screenIndex(current, visibleFrames(displays));
    if (!windowIndex) return report(done, PlacementOutcome::Kind::ignored);

    platform::Display chosen = displays[*windowIndex];
    if (display) {
        chosen = *display;
    } else {
        if (!layout.isGlobal) {
            if (const auto key = controller_.keyPanelIndex())
                chosen = controller_.panels()[*key].display;
        }
        // Repeating a layout on the window it just placed walks it through the displays.
        const bool repeated = state.settings.cycleDisplays && lastLayout_ &&
                              lastLayout_->id == layout.id &&
                              lastLayout_->window == state.target->window &&
                              WindowResizer::matches(lastLayout_->frame, current);
        if (repeated) chosen = displays[(*windowIndex + 1) % displays.size()];
    }

    const Rect frame =
        TileGeometry::frame(layout.region, chosen.visibleFrame, state.settings.margins);
    start(*state.target, frame, layout.id, state.settings.keepPanelOpen, done);
}

void PlacementRunner::moveToNextDisplay() {
    if (!readyToPlace()) return;
    const ControllerState& state = controller_.state();
    const std::optional<Rect> read = targetFrame(nullptr);
    if (!read) return;
    const Rect current = *read;
    const std::vector<platform::Display> displays = controller_.services().displays.displays();
    if (displays.size() < 2) return;
    const std::vector<Rect> frames = visibleFrames(displays);
    const std::optional<std::size_t> index = TileGeometry::screenIndex(current, frames);
    if (!index) return;
    const Rect frame =
        TileGeometry::relocate(current, frames[*index], frames[(*index + 1) % frames.size()]);
    start(*state.target, frame, std::nullopt, state.settings.keepPanelOpen, nullptr);
}

void PlacementRunner::start(const WindowTarget& target, const Rect& frame,
                            std::optional<Uuid> layoutId, bool keepOpen,
                            const PlacementCallback& done) {
    ControllerState& state = controller_.state();
    if (state.isApplying) return report(done, PlacementOutcome::Kind::ignored);
    state.pendingResizeNotice.reset();
    state.isApplying = true;
    state.setMessage(std::string(Messages::arranging), false);
    controller_.previewOverlay()->hide();
    controller_.notify();

    WindowManager& windows = controller_.windows();
    const Job job{target, frame, layoutId, state.panelGeneration, keepOpen};
    if (controller_.diagnosticsEnabled()) {
        try {
            const Rect current = windows.frame(job.target);
            const std::string app = job.target.app.wmClass.empty() ? "app" : job.target.app.wmClass;
            controller_.diagnostic("Resize " + app + ": " + describe(current) + " \u2192 " +
                                   describe(job.frame));
        } catch (const std::exception& error) {
            // The window is not moved when it cannot even be read.
            failJob(job, error, done);
            endAsyncWork();
            return;
        }
    }

    activeScheduler_ =
        std::make_unique<InterruptibleScheduler>(controller_.services().makeScheduler());
    Scheduler& scheduler = *activeScheduler_;
    const double startTime = scheduler.now();
    const QPointer<PlacementRunner> self(this);
    corvane::start(
        windows.apply(job.frame, job.target, true, state.settings.animateWindows, scheduler),
        [self, job, startTime, done](std::optional<bool> exact, const std::exception_ptr& error) {
            // A result during shutdown goes nowhere: its caller may be gone too.
            if (self) {
                const bool ending = self->controller_.state().shuttingDown;
                self->finishJob(job, exact, error, startTime, ending ? nullptr : done);
            }
        });
}

void PlacementRunner::finishJob(const Job& job, std::optional<bool> exact,
                                const std::exception_ptr& error, double startTime,
                                const PlacementCallback& done) {
    const ControllerState& state = controller_.state();
    const double endTime = activeScheduler_ ? activeScheduler_->now() : startTime;
    try {
        if (error) std::rethrow_exception(error);
        const bool isExact = exact.value_or(false);
        // A window manager that died mid-way explains the miss better than a
        // size restriction the window may not have.
        if (!isExact && !state.permissionGranted) throw WindowError(WindowError::Kind::permission);
        const Rect final = controller_.windows().frame(job.target);
        const auto milliseconds = static_cast<long long>(std::trunc((endTime - startTime) * 1000));
        controller_.diagnostic("Resize result: " + describe(final) + ", exact=" + text(isExact) +
                               ", duration=" + std::to_string(milliseconds) + "ms");
        if (isExact && job.layoutId) {
            lastLayout_ = LastLayout{*job.layoutId, job.target.window, final};
        } else {
            lastLayout_.reset();
        }
        const std::optional<std::string> notice =
            isExact ? std::nullopt : std::optional<std::string>(Messages::sizeNotice);
        if (job.generation == state.panelGeneration && !state.shuttingDown)
            finishPlacement(notice, job.keepOpen);
        report(done, isExact ? PlacementOutcome::Kind::exact : PlacementOutcome::Kind::notExact,
               notice.value_or(std::string()));
    } catch (const std::exception& failure) {
        failJob(job, failure, done);
    }
    endAsyncWork();
}

void PlacementRunner::failJob(const Job& job, const std::exception& error,
                              const PlacementCallback& done) {
    ControllerState& state = controller_.state();
    lastLayout_.reset();
    if (job.generation == state.panelGeneration && !state.shuttingDown) {
        showError(error);
        if (!controller_.panelsOpen()) state.pendingResizeNotice = state.message;
    }
    report(done, PlacementOutcome::Kind::failed, describeError(error));
}

// Every placement and undo ends here, whatever happened.
void PlacementRunner::endAsyncWork() {
    ControllerState& state = controller_.state();
    state.isApplying = false;
    state.canUndo = !controller_.windows().history().empty();
    if (activeScheduler_ && !state.shuttingDown) {
        // The scheduler may be what is resuming us right now: free it from the event loop.
        std::shared_ptr<InterruptibleScheduler> finished(std::move(activeScheduler_));
        QMetaObject::invokeMethod(
            this, [finished] {}, Qt::QueuedConnection);
    }
    controller_.notify();
}

void PlacementRunner::finishPlacement(const std::optional<std::string>& notice, bool keepOpen) {
    ControllerState& state = controller_.state();
    state.setMessage(notice, notice.has_value());
    if (!controller_.panelsOpen()) {
        state.pendingResizeNotice = notice;  // a hot key placement: shown at the next opening
    } else if (!keepOpen) {
        state.pendingResizeNotice = notice;
        controller_.closePanels(true);
    }
    controller_.notify();
}

void PlacementRunner::undo(const PlacementCallback& done) {
    ControllerState& state = controller_.state();
    WindowManager& windows = controller_.windows();
    if (state.isApplying || windows.history().empty())
        return report(done, PlacementOutcome::Kind::ignored);
    state.isApplying = true;
    controller_.previewOverlay()->hide();
    const int generation = state.panelGeneration;
    controller_.notify();

    activeScheduler_ =
        std::make_unique<InterruptibleScheduler>(controller_.services().makeScheduler());
    const QPointer<PlacementRunner> self(this);
    corvane::start(
        windows.undo(state.settings.animateWindows, *activeScheduler_),
        [self, generation, done](std::optional<bool> exact, const std::exception_ptr& error) {
            if (self) {
                const bool ending = self->controller_.state().shuttingDown;
                self->finishUndo(exact, error, generation, ending ? nullptr : done);
            }
        });
}

void PlacementRunner::finishUndo(std::optional<bool> exact, const std::exception_ptr& error,
                                 int generation, const PlacementCallback& done) {
    ControllerState& state = controller_.state();
    const bool current = generation == state.panelGeneration && !state.shuttingDown;
    try {
        if (error) std::rethrow_exception(error);
        const bool isExact = exact.value_or(false);
        lastLayout_.reset();
        if (current) {
            state.setMessage(std::string(isExact ? Messages::restored : Messages::sizeNotice),
                             !isExact);
            controller_.diagnostic(std::string("Undo result: exact=") + text(isExact));
        }
        report(done, isExact ? PlacementOutcome::Kind::exact : PlacementOutcome::Kind::notExact,
               state.message.value_or(std::string()));
    } catch (const std::exception& failure) {
        if (current) showError(failure);
        report(done, PlacementOutcome::Kind::failed, describeError(failure));
    }
    endAsyncWork();
}

void PlacementRunner::updatePreview(const std::optional<TileRegion>& region,
                                    const platform::Display& display) {
    const ControllerState& state = controller_.state();
    PreviewOverlay& preview = *controller_.previewOverlay();
    if (!state.isApplying && state.settings.showPreview && region && state.permissionGranted &&
        state.target) {
        const Rect frame =
            TileGeometry::frame(*region, display.visibleFrame, state.settings.margins);
        const bool appearing = !preview.isShown();
        preview.show(frame, state.settings.animatePreview);
        // A newly mapped window lands on top of its layer, and not every window
        // manager lets the overlay go below the panels again: raise them instead.
        if (appearing) controller_.gridPanels().raiseAll();
    } else {
        preview.hide();
    }
}

}  // namespace corvane
