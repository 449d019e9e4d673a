#pragma once

#include <array>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>

#include "core/saved_layout.h"
#include "core/settings/app_settings.h"

class QWidget;

namespace corvane {

class AppController;

// Why a preview run stopped; what() is the text shown after "Render failed: ".
class RenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Draws pictures of Corvane's own windows into PNG files, for the README and
// for anyone who wants to see them without running Corvane on a desktop: the
// grid without and with window control, the four settings tabs, and the
// editors. Each picture shows the controller's settings as they were loaded,
// at the size its window wants, and announces itself with one line on `out`.
class PreviewRenderer {
public:
    // The pictures, in the order they are made.
    static constexpr std::array<const char*, 9> fileNames{"onboarding.png",
                                                          "grid.png",
                                                          "settings-0.png",
                                                          "settings-1.png",
                                                          "settings-2.png",
                                                          "settings-3.png",
                                                          "layout-editor.png",
                                                          "global-shortcut-editor.png",
                                                          "layout-global-shortcut.png"};

    PreviewRenderer(AppController& controller, std::ostream& out);

    // Makes `folder` with any missing parents and renders every picture into
    // it. Throws RenderError at the first failure; pictures made before stay.
    // The controller's window-control flag is what it was afterwards.
    void renderAll(const std::filesystem::path& folder);

    // The layout the editors show: the first saved layout, or an example when
    // there is none (never saved).
    static SavedLayout editorLayout(const AppSettings& settings);
    // A global layout with a shortcut, to show the layout editor filled in.
    static SavedLayout globalExample();

private:
    void renderPanels();
    void renderSettingsTabs();
    void renderEditors();
    // Lays `view` out at the size it wants, writes it into the file `name`
    // and prints the "Rendered" line.
    void render(QWidget& view, const std::string& name);

    AppController& controller_;
    std::ostream& out_;
    std::filesystem::path folder_;
};

}  // namespace corvane
