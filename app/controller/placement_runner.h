#pragma once

#include <QObject>
#include <exception>
#include <memory>
#include <optional>

#include "app/controller/interruptible_scheduler.h"
#include "app/controller/placement_outcome.h"
#include "app/window/window_target.h"
#include "core/rect.h"
#include "core/saved_layout.h"
#include "core/tile_region.h"
#include "core/uuid.h"
#include "platform/displays.h"

namespace corvane {

class AppController;

// The one road of every placement and undo: it chooses the target window,
// computes the destination, runs the verified resize without blocking the
// event loop, and reports the outcome now or at the next opening of the grid.
// One placement or undo runs at a time.
class PlacementRunner : public QObject {
public:
    explicit PlacementRunner(AppController& controller) : controller_(controller) {}

    void applyRegion(const TileRegion& region, const platform::Display& display, bool shiftHeld);
    void applyLayout(const SavedLayout& layout, const std::optional<platform::Display>& display,
                     const PlacementCallback& done);
    void moveToNextDisplay();
    void undo(const PlacementCallback& done);
    void updatePreview(const std::optional<TileRegion>& region, const platform::Display& display);

    // Asks the desktop again which window the grid acts on.
    void refreshTarget();
    // The application in front, unless it is Corvane: the one whose window the grid acts on.
    void rememberFrontmostApp();
    // Another application became active: it is the target's owner from now on.
    void noteActivatedApp(const platform::AppRef& app);
    void showError(const std::exception& error);
    // Ends the placement or undo in flight at once; its result is dropped.
    void interrupt();
    // A placement's last step: its notice is shown now, or held for the next
    // opening of the grid when the grid is closed or closes now.
    void finishPlacement(const std::optional<std::string>& notice, bool keepOpen);

private:
    struct LastLayout {
        Uuid id;
        platform::WindowId window = 0;
        Rect frame;
    };
    // What a placement carries into its asynchronous part.
    struct Job {
        WindowTarget target;
        Rect frame;
        std::optional<Uuid> layoutId;
        int generation = 0;
        bool keepOpen = false;
    };

    // Not busy and a target found; otherwise the grid is told to show why not.
    bool readyToPlace();
    // The target window's frame; when it cannot be read the user is told why.
    std::optional<Rect> targetFrame(const PlacementCallback& done);
    PlacementOutcome ignoredOutcome() const;
    void start(const WindowTarget& target, const Rect& frame, std::optional<Uuid> layoutId,
               bool keepOpen, const PlacementCallback& done);
    void finishJob(const Job& job, std::optional<bool> exact, const std::exception_ptr& error,
                   double startTime, const PlacementCallback& done);
    void failJob(const Job& job, const std::exception& error, const PlacementCallback& done);
    void finishUndo(std::optional<bool> exact, const std::exception_ptr& error, int generation,
                    const PlacementCallback& done);
    void endAsyncWork();

    AppController& controller_;
    // The waits of the placement or undo in flight; none when idle.
    std::unique_ptr<InterruptibleScheduler> activeScheduler_;
    std::optional<platform::AppRef> lastExternalApp_;
    // The layout that placed the target last, for walking it through the displays.
    std::optional<LastLayout> lastLayout_;
};

}  // namespace corvane
