#pragma once

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
// 2 placed but short of the frame, 1 any error.
class RemoteCommands {
public:
    static constexpr int exitPlaced = 0;
    static constexpr int exitFailed = 1;
    static constexpr int exitNotExact = 2;

    // `quit` ends the application; it is called after the answer has gone out.
    // `trayState` describes the tray icon for --status (none: no icon).
    RemoteCommands(AppController& controller, std::function<void()> quit,
                   std::function<std::string()> trayState = {});

    void handle(const InstanceRequest& request, const SingleInstance::Responder& respond);

    // --list-layouts: one line per layout, tab-separated: name, shortcut (empty
    // when none) labelled as the current keyboard layout labels its key, so it
    // names the key to press, "global" or "grid only", then "disabled" when
    // switched off. Scripts pick layouts by name, which never changes with the
    // keyboard layout.
    std::string layoutListing(const AppSettings& settings) const;
    // --status.
    std::string statusText() const;

private:
    void applyLayout(const std::string& name, const SingleInstance::Responder& respond);
    void undo(const SingleInstance::Responder& respond);
    // Why nothing can be placed right now, if anything stands in the way.
    std::optional<std::string> blocker();

    AppController& controller_;
    std::function<void()> quit_;
    std::function<std::string()> trayState_;
};

}  // namespace corvane
