#pragma once

#include <QColor>
#include <QIcon>
#include <QStringList>
#include <QSystemTrayIcon>
#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace corvane {

// Corvane's entry in the system tray: the brand mark, a left click that
// toggles the grid, and a context menu with "Open Grid", "Settings…",
// "Check for Updates…" and "Quit Corvane". When no tray is running yet (a
// session still starting), it docks once one announces itself.
class TrayIcon : public QSystemTrayIcon {
    Q_OBJECT

public:
    // A light mark for dark panels, a dark one for light panels.
    enum class Variant { light, dark };

    // How long a tray that has just started is given to take the icon by itself.
    static constexpr int dockSettleMilliseconds = 300;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows or hides the icon; showing waits for a tray to appear.
    void setWanted(bool wanted);
    bool isWanted() const { return wanted_; }

    // The colour of the tray area when the desktop tells it; unknown means a
    // dark panel, the most common kind.
    void setPanelBackground(std::optional<QColor> background);
    Variant variant() const { return variant_; }
    static Variant variantFor(std::optional<QColor> background);
    static QIcon markIcon(Variant variant);

    // A desktop notification; while the icon is not docked yet, it waits for the tray.
    void showNotice(const QString& text);
    // Every notice given since start, shown or waiting.
    const QStringList& notices() const { return notices_; }

    QMenu* menu() const { return menu_.get(); }
    // "Check for Updates…" is operable only while a check may start.
    void setUpdatesEnabled(bool enabled);
    bool updatesEnabled() const;
    bool isWaitingForTray() const { return waitingForTray_; }

    // A system tray has started: the icon docks in it, if it waits for one.
    void trayAppeared();

signals:
    void toggleRequested();
    void settingsRequested();
    void updatesRequested();
    void quitRequested();

private:
    void buildMenu();
    void dockIfStillAway();
    void showPendingNotice();

    std::unique_ptr<QMenu> menu_;
    QAction* updates_ = nullptr;
    bool waitingForTray_ = false;
    bool wanted_ = false;
    Variant variant_ = Variant::light;
    QStringList notices_;
    QString pendingNotice_;
};

}  // namespace corvane
