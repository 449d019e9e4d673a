#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/window/window_target.h"
#include "core/grid_size.h"
#include "core/saved_layout.h"
#include "core/settings/app_settings.h"

namespace corvane {

// What the views show, shared by the controller and the classes it delegates
// to. Whoever changes it asks the controller to notify the views.
struct ControllerState {
    AppSettings settings;
    GridSize grid;
    bool subdivided = false;
    std::optional<WindowTarget> target;
    bool permissionGranted = false;
    std::optional<std::string> message;
    bool messageIsError = false;
    bool canUndo = false;
    bool isApplying = false;
    // Counts openings and closings of the grid: a placement that finishes in
    // another generation than it started in reports nothing to the panels.
    int panelGeneration = 0;
    std::optional<std::string> pendingResizeNotice;
    std::optional<std::string> settingsError;
    // Why the settings file is not what Corvane uses (it could not be loaded at
    // start, or a hand edit was refused), until a valid file or a save ends it.
    std::optional<std::string> settingsFileProblem;
    std::vector<std::string> shortcutWarnings;
    bool loginEnabled = false;
    std::optional<SavedLayout> editingLayout;
    std::optional<SavedLayout> editingGlobalShortcut;
    int settingsTab = 0;
    bool recordingActive = false;
    bool shuttingDown = false;

    void setMessage(std::optional<std::string> text, bool isError) {
        message = std::move(text);
        messageIsError = isError;
    }
    GridSize activeGrid() const { return subdivided ? grid.subdivided() : grid; }
};

}  // namespace corvane
