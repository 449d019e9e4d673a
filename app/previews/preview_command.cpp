#include "app/previews/preview_command.h"

#include <QApplication>
#include <memory>

#include "app/controller/app_controller.h"
#include "app/previews/preview_renderer.h"
#include "app/previews/still_desktop.h"
#include "platform/autostart/xdg_autostart.h"
#include "platform/scheduler/blocking_scheduler.h"

namespace corvane {

int runPreviewCommand(const std::filesystem::path& folder, int argc, char** argv, std::ostream& out,
                      std::ostream& err) {
    // Pictures are drawn the same with or without a desktop, and never appear on one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane"));

    StillDesktop desktop;
    // The user's real start-at-login state, read only: the General tab shows it.
    platform::XdgAutostart loginItem;
    AppServices services{desktop,
                         desktop,
                         desktop,
                         desktop,
                         loginItem,
                         [] { return std::make_unique<platform::BlockingScheduler>(); },
                         static_cast<int>(QCoreApplication::applicationPid())};
    try {
        AppController controller(services, AppOptions{});
        PreviewRenderer(controller, out).renderAll(folder);
    } catch (const std::exception& error) {
        err << "Render failed: " << error.what() << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace corvane
