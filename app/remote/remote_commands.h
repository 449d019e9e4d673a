#pragma once

#include <QObject>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "app/remote/single_instance.h"
#include "core/settings/app_settings.h"

namespace corvane {

class AppController;

// Carries out the requests other `corvane` processes send to the running one:
// a second launch, and the scripting commands (--apply-layout, --undo,
// --toggle-grid, --list-layouts, --status, --quit). Placements answer when
// the window has settled, with the exit status the caller reports: 0 exact,
// 2 placed but short of the frame, 1 any error. A request that moves windows
// while a placement or undo is still settling waits for it (a script's
// --apply-layout followed at once by --undo), for a few seconds at most.
class RemoteCommands {
public:
    static constexpr int exitPlaced = 0;
    static constexpr int exitFailed = 1;
    static constexpr int exitNotExact = 2;
    // How long a request waits for the placement in flight before it is refused.
    static constexpr std::chrono::milliseconds defaultPlacementWaitLimit{5000};

    // `quit` ends the application; it is called after the answer has gone out.
    // `trayState` describes the tray icon for --status (none: no icon).
    RemoteCommands(AppController& controller, std::function<void()> quit,
                   std::function<std::string()> trayState = {});

    ~RemoteCommands();

    void handle(const InstanceRequest& request, const SingleInstance::Responder& respond);
    void setPlacementWaitLimit(std::chrono::milliseconds limit) { waitLimit_ = limit; }

    // --list-layouts: one line per layout, tab-separated: name, shortcut (empty
    // when none) labelled as the current keyboard layout labels its key, so it
    // names the key to press, "global" or "grid only", then "disabled" when
    // switched off. Scripts pick layouts by name, which never changes with the
    // keyboard layout.
    std::string layoutListing(const AppSettings& settings) const;
    // --status.
    std::string statusText() const;

private:
    struct Waiting {
        std::uint64_t id = 0;
        std::function<void()> run;
        SingleInstance::Responder respond;
    };

    // Runs `run` now, or once the placement in flight has ended.
    void whenSettled(std::function<void()> run, const SingleInstance::Responder& respond);
    void runWaiting();
    void applyLayout(const std::string& name, const SingleInstance::Responder& respond);
    void undo(const SingleInstance::Responder& respond);
    // Why nothing can be placed right now, if anything stands in the way.
    std::optional<std::string> blocker();

    AppController& controller_;
    std::function<void()> quit_;
    std::function<std::string()> trayState_;
    std::deque<Waiting> waiting_;
    std::uint64_t lastWaitingId_ = 0;
    std::chrono::milliseconds waitLimit_ = defaultPlacementWaitLimit;
    QObject context_;  // ends the connections and timers with this object
};

}  // namespace corvane
