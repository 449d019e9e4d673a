#include "app/remote/remote_commands.h"

#include <unistd.h>

#include <QTimer>
#include <algorithm>
#include <vector>

#include "app/controller/app_controller.h"
#include "app/controller/messages.h"
#include "app/panel/panel_blocks.h"
#include "app/remote/command_names.h"
#include "app/settings/settings_store.h"
#include "app/window/window_manager.h"

namespace corvane {

namespace {

std::string quoted(const std::string& text) {
    return "\u201c" + text + "\u201d";
}

// Tabs and line breaks in a name would break the one-line-per-layout listing.
std::string singleLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

InstanceResponse failure(const std::string& description) {
    return InstanceResponse{RemoteCommands::exitFailed, {}, description + "\n"};
}

// How a placement or undo ended, as the calling script sees it. `ignoredReason`
// explains an ignored request whose outcome carries no text of its own.
InstanceResponse responseFor(const PlacementOutcome& outcome, const std::string& ignoredReason) {
    switch (outcome.kind) {
        case PlacementOutcome::Kind::exact:
            return InstanceResponse{RemoteCommands::exitPlaced, {}, {}};
        case PlacementOutcome::Kind::notExact:
            return InstanceResponse{RemoteCommands::exitNotExact, {}, outcome.text + "\n"};
        case PlacementOutcome::Kind::failed:
            return failure(outcome.text);
        case PlacementOutcome::Kind::ignored:
            break;
    }
    return failure(outcome.text.empty() ? ignoredReason : outcome.text);
}

}  // namespace

RemoteCommands::RemoteCommands(AppController& controller, std::function<void()> quit,
                               std::function<std::string()> trayState)
    : controller_(controller), quit_(std::move(quit)), trayState_(std::move(trayState)) {
    // From the event loop: a placement that just ended finishes its own work first.
    QObject::connect(&controller_, &AppController::stateChanged, &context_, [this] {
        if (!waiting_.empty() && !controller_.isApplying())
            QMetaObject::invokeMethod(
                &context_, [this] { runWaiting(); }, Qt::QueuedConnection);
    });
}

RemoteCommands::~RemoteCommands() = default;

void RemoteCommands::whenSettled(std::function<void()> run,
                                 const SingleInstance::Responder& respond) {
    if (!controller_.isApplying() && waiting_.empty()) return run();
    const std::uint64_t id = ++lastWaitingId_;
    waiting_.push_back(Waiting{id, std::move(run), respond});
    QTimer::singleShot(waitLimit_, &context_, [this, id] {
        const auto found = std::find_if(waiting_.begin(), waiting_.end(),
                                        [id](const Waiting& w) { return w.id == id; });
        if (found == waiting_.end()) return;  // it ran in time
        const SingleInstance::Responder answer = std::move(found->respond);
        waiting_.erase(found);
        answer(failure(std::string(Messages::busy)));
    });
}

// In the order the requests came; one that starts a placement makes the rest
// wait for that one.
void RemoteCommands::runWaiting() {
    while (!waiting_.empty() && !controller_.isApplying()) {
        const Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        next.run();
    }
}

void RemoteCommands::handle(const InstanceRequest& request,
                            const SingleInstance::Responder& respond) {
    const std::string& command = request.command;
    if (command == CommandName::launch) {
        // A second start of Corvane: the running one answers as to a reopen.
        if (request.settings) {
            controller_.showSettings();
        } else {
            controller_.handleReopen();
        }
        respond(InstanceResponse{});
    } else if (command == CommandName::applyLayout) {
        applyLayout(request.argument, respond);
    } else if (command == CommandName::undo) {
        undo(respond);
    } else if (command == CommandName::toggleGrid) {
        whenSettled(
            [this, respond] {
                controller_.togglePanels();
                respond(InstanceResponse{});
            },
            respond);
    } else if (command == CommandName::listLayouts) {
        respond(InstanceResponse{exitPlaced, layoutListing(controller_.settings()), {}});
    } else if (command == CommandName::status) {
        respond(InstanceResponse{exitPlaced, statusText(), {}});
    } else if (command == CommandName::quit) {
        respond(InstanceResponse{});
        // From the event loop, once the answer is on its way.
        QTimer::singleShot(0, &controller_, [quit = quit_] {
            if (quit) quit();
        });
    } else {
        respond(failure("The running Corvane does not know the command " + quoted(command) +
                        ". It may be an older version; restart it."));
    }
}

std::optional<std::string> RemoteCommands::blocker() {
    controller_.checkPermission();
    if (!controller_.permissionGranted()) {
        return "Corvane needs an X11 session with a standard window manager to move other "
               "apps\u2019 windows.";
    }
    return std::nullopt;
}

void RemoteCommands::applyLayout(const std::string& name,
                                 const SingleInstance::Responder& respond) {
    std::vector<SavedLayout> matches;
    for (const SavedLayout& layout : controller_.settings().layouts) {
        if (layout.name == name) matches.push_back(layout);
    }
    if (matches.empty()) return respond(failure("No saved layout is named " + quoted(name) + "."));
    if (matches.size() > 1) {
        return respond(failure("Several saved layouts are named " + quoted(name) +
                               ". Give them different names to apply one by name."));
    }
    whenSettled(
        [this, layout = matches.front(), respond] {
            if (const auto reason = blocker()) return respond(failure(*reason));
            controller_.applyLayout(
                layout, std::nullopt, [respond](const PlacementOutcome& outcome) {
                    respond(responseFor(outcome, "The focused window is outside every display."));
                });
        },
        respond);
}

void RemoteCommands::undo(const SingleInstance::Responder& respond) {
    whenSettled(
        [this, respond] {
            if (controller_.windowManager().history().empty())
                return respond(failure(std::string(Messages::nothingToUndo)));
            controller_.undoLastPlacement([respond](const PlacementOutcome& outcome) {
                // Undo reports its success text as the outcome's text: scripts need only the
                // status.
                PlacementOutcome quiet = outcome;
                if (quiet.kind == PlacementOutcome::Kind::exact) quiet.text.clear();
                respond(responseFor(quiet, std::string(Messages::nothingToUndo)));
            });
        },
        respond);
}

std::string RemoteCommands::layoutListing(const AppSettings& settings) const {
    std::string text;
    for (const SavedLayout& layout : settings.layouts) {
        text += singleLine(layout.name);
        text += '\t';
        if (layout.shortcut) text += singleLine(controller_.shownShortcut(*layout.shortcut));
        text += layout.isGlobal ? "\tglobal" : "\tgrid only";
        if (!layout.enabled) text += "\tdisabled";
        text += '\n';
    }
    return text;
}

std::string RemoteCommands::statusText() const {
    std::string text = "Corvane is running (process " + std::to_string(getpid()) + ").\n";
    text += controller_.permissionGranted() ? "Window control available\n"
                                            : std::string(PermissionCard::headingText) + "\n";
    text += "Settings: " + controller_.store().url().string() + "\n";
    if (const auto& problem = controller_.settingsError())
        text += "Settings problem: " + *problem + "\n";
    text += "Tray icon: " + (trayState_ ? trayState_() : std::string("none")) + "\n";
    if (controller_.panelsOpen()) {
        text += "Grid: open on " + std::to_string(controller_.panels().size()) + " display" +
                (controller_.panels().size() == 1 ? "" : "s") + "\n";
    } else {
        text += "Grid: closed\n";
    }
    const std::vector<std::string>& warnings = controller_.shortcutWarnings();
    if (warnings.empty()) {
        text += "Shortcut warnings: none\n";
    } else {
        text += "Shortcut warnings:\n";
        for (const std::string& warning : warnings) text += "  " + warning + "\n";
    }
    return text;
}

}  // namespace corvane
