#include "app/previews/preview_renderer.h"

#include <QBuffer>
#include <QImage>
#include <QLayout>
#include <QSaveFile>
#include <algorithm>
#include <system_error>

#include "app/controller/app_controller.h"
#include "app/panel/grid_panel_view.h"
#include "app/panel/panel_selection.h"
#include "app/settings_window/global_shortcut_editor.h"
#include "app/settings_window/layout_editor.h"
#include "app/settings_window/settings_window.h"

namespace corvane {

namespace {

constexpr std::uint16_t leftArrowKey = 123;

QString quotedPath(const std::filesystem::path& path) {
    return QStringLiteral("\u201c%1\u201d").arg(QString::fromStdString(path.string()));
}

void makeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && !std::filesystem::is_directory(folder, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    if (error) {
        throw RenderError(QStringLiteral("Could not create the folder %1: %2.")
                              .arg(quotedPath(folder), QString::fromStdString(error.message()))
                              .toStdString());
    }
}

QByteArray pngOf(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG") ||
        data.isEmpty()) {
        throw RenderError(WindowError::failed(-1).description());
    }
    return data;
}

// Replaces the file as a whole: a failed run never leaves half a picture.
void writeFile(const std::filesystem::path& path, const QByteArray& data) {
    QSaveFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        throw RenderError(QStringLiteral("Could not write %1: %2.")
                              .arg(quotedPath(path), file.errorString())
                              .toStdString());
    }
}

// The size the window opens at on screen: the one it chose for itself, else
// the one its contents want.
QSize fittingSize(const QWidget& view) {
    QSize size = view.testAttribute(Qt::WA_Resized) ? view.size() : view.sizeHint();
    size = size.expandedTo(view.minimumSize());
    if (view.hasHeightForWidth())
        size.setHeight(std::max(size.height(), view.heightForWidth(size.width())));
    return size;
}

// Puts the window-control flag back however the run ends.
class PermissionRestore {
public:
    explicit PermissionRestore(AppController& controller)
        : controller_(controller), remembered_(controller.permissionGranted()) {}
    ~PermissionRestore() { set(controller_, remembered_); }
    PermissionRestore(const PermissionRestore&) = delete;
    PermissionRestore& operator=(const PermissionRestore&) = delete;

    static void set(AppController& controller, bool granted) {
        controller.state().permissionGranted = granted;
        controller.notify();
    }

private:
    AppController& controller_;
    bool remembered_;
};

}  // namespace

PreviewRenderer::PreviewRenderer(AppController& controller, std::ostream& out)
    : controller_(controller), out_(out) {}

SavedLayout PreviewRenderer::editorLayout(const AppSettings& settings) {
    if (!settings.layouts.empty()) return settings.layouts.front();
    SavedLayout example;
    example.name = "Example layout";
    example.grid = GridSize{6, 6};
    example.region = TileRegion::full();
    example.shortcut = std::nullopt;
    example.isGlobal = false;
    example.enabled = true;
    return example;
}

SavedLayout PreviewRenderer::globalExample() {
    SavedLayout layout;
    layout.name = "Left half";
    layout.grid = GridSize{6, 6};
    layout.region = TileRegion{0, 0, 0.5, 1.0};
    layout.shortcut = KeyCombo{leftArrowKey, KeyCombo::control | KeyCombo::option, "\u2190"};
    layout.isGlobal = true;
    layout.enabled = true;
    return layout;
}

void PreviewRenderer::renderAll(const std::filesystem::path& folder) {
    folder_ = folder;
    makeFolder(folder_);
    PermissionRestore restore(controller_);
    renderPanels();
    renderSettingsTabs();
    renderEditors();
}

void PreviewRenderer::renderPanels() {
    const std::vector<platform::Display> displays = controller_.services().displays.displays();
    if (displays.empty()) throw RenderError(WindowError(WindowError::Kind::noWindow).description());
    const platform::Display& display = displays.front();

    PermissionRestore::set(controller_, false);
    PanelSelection nothingSelected;
    GridPanelView onboarding(controller_, nothingSelected, display);
    render(onboarding, fileNames[0]);

    PermissionRestore::set(controller_, true);
    PanelSelection leftHalf;
    leftHalf.setRegion(TileRegion{0, 0, 0.5, 1.0});
    GridPanelView grid(controller_, leftHalf, display);
    render(grid, fileNames[1]);
}

void PreviewRenderer::renderSettingsTabs() {
    for (int tab = 0; tab < 4; ++tab) {
        controller_.setSettingsTab(tab);
        SettingsWindow window(controller_);
        render(window, fileNames[2 + static_cast<std::size_t>(tab)]);
    }
}

void PreviewRenderer::renderEditors() {
    LayoutEditor layoutEditor(controller_, editorLayout(controller_.settings()), nullptr);
    render(layoutEditor, fileNames[6]);
    LayoutEditor globalLayoutEditor(controller_, globalExample(), nullptr);
    render(globalLayoutEditor, fileNames[7]);
    // Taken again: the settings may have changed while the others were drawn.
    GlobalShortcutEditor shortcutEditor(controller_, editorLayout(controller_.settings()), nullptr);
    render(shortcutEditor, fileNames[8]);
}

void PreviewRenderer::render(QWidget& view, const std::string& name) {
    // Laid out and painted as on screen without ever being shown: no window is
    // made, so nothing can appear on a desktop.
    view.setWindowFlag(Qt::FramelessWindowHint);
    view.ensurePolished();
    if (view.layout()) view.layout()->activate();
    view.resize(fittingSize(view));
    if (view.layout()) view.layout()->activate();
    const QImage image = view.grab().toImage();

    writeFile(folder_ / name, pngOf(image));
    out_ << "Rendered " << name << ": (" << view.width() << ".0, " << view.height() << ".0)"
         << std::endl;
}

}  // namespace corvane
