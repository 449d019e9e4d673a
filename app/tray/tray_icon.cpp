#include "app/tray/tray_icon.h"

#include <QKeySequence>
#include <QMenu>
#include <QTimer>

#include "app/style/brand_mark.h"

namespace corvane {

namespace {

QColor markColor(TrayIcon::Variant variant) {
    return variant == TrayIcon::Variant::light ? QColor(0xf2, 0xf2, 0xf2)
                                               : QColor(0x1e, 0x1e, 0x1e);
}

}  // namespace

TrayIcon::TrayIcon(QObject* parent) : QSystemTrayIcon(parent), menu_(std::make_unique<QMenu>()) {
    setIcon(markIcon(variant_));
    buildMenu();
    setContextMenu(menu_.get());
    connect(this, &QSystemTrayIcon::activated, this, [this](ActivationReason reason) {
        // A double click also sends a single one first; one toggle is enough.
        if (reason == QSystemTrayIcon::Trigger) emit toggleRequested();
    });
}

TrayIcon::~TrayIcon() {
    setContextMenu(nullptr);
    hide();
}

void TrayIcon::buildMenu() {
    QAction* open = menu_->addAction(QStringLiteral("Open Grid"));
    connect(open, &QAction::triggered, this, &TrayIcon::toggleRequested);
    QAction* settings = menu_->addAction(QStringLiteral("Settings\u2026"));
    settings->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    connect(settings, &QAction::triggered, this, &TrayIcon::settingsRequested);
    updates_ = menu_->addAction(QStringLiteral("Check for Updates\u2026"));
    connect(updates_, &QAction::triggered, this, &TrayIcon::updatesRequested);
    menu_->addSeparator();
    QAction* quit = menu_->addAction(QStringLiteral("Quit Corvane"));
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(quit, &QAction::triggered, this, &TrayIcon::quitRequested);
}

void TrayIcon::setUpdatesEnabled(bool enabled) {
    updates_->setEnabled(enabled);
}

bool TrayIcon::updatesEnabled() const {
    return updates_->isEnabled();
}

void TrayIcon::setWanted(bool wanted) {
    if (wanted == wanted_) return;
    wanted_ = wanted;
    setVisible(wanted);
    waitingForTray_ = wanted && !QSystemTrayIcon::isSystemTrayAvailable();
    if (!waitingForTray_) showPendingNotice();
}

void TrayIcon::showNotice(const QString& text) {
    notices_ << text;
    pendingNotice_ = text;
    showPendingNotice();
}

void TrayIcon::showPendingNotice() {
    if (pendingNotice_.isEmpty() || !isVisible() || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    showMessage(QStringLiteral("Corvane"), pendingNotice_, QSystemTrayIcon::Warning);
    pendingNotice_.clear();
}

void TrayIcon::trayAppeared() {
    if (!waitingForTray_) return;
    // Qt hears of the new tray too and may dock the icon itself: give it a moment.
    QTimer::singleShot(dockSettleMilliseconds, this, &TrayIcon::dockIfStillAway);
}

void TrayIcon::dockIfStillAway() {
    if (!wanted_ || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    waitingForTray_ = false;
    // When Qt did not dock it, showing it again does.
    if (geometry().isEmpty()) {
        hide();
        show();
    }
    showPendingNotice();
}

TrayIcon::Variant TrayIcon::variantFor(std::optional<QColor> background) {
    if (!background) return Variant::light;
    return background->lightnessF() < 0.5 ? Variant::light : Variant::dark;
}

void TrayIcon::setPanelBackground(std::optional<QColor> background) {
    const Variant variant = variantFor(background);
    if (variant == variant_) return;
    variant_ = variant;
    setIcon(markIcon(variant_));
}

QIcon TrayIcon::markIcon(Variant variant) {
    QIcon icon;
    for (const int size : {16, 18, 22, 24, 32, 48, 64}) {
        icon.addPixmap(brandMarkPixmap(size, markColor(variant)));
    }
    return icon;
}

}  // namespace corvane
