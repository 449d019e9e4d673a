#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>

namespace corvane {

class PanelHost;

// The strip over the panel's title that moves the panel: a press hands the
// move to the window manager (or, where it cannot, follows the pointer itself).
// With diagnostics on, the panel's origin before and after is printed.
class PanelDragHandle : public QWidget {
    Q_OBJECT

public:
    PanelDragHandle(PanelHost& host, QWidget* parent = nullptr);

    // How long the window may stay still before a window-manager move counts as
    // finished: the manager takes the pointer, so the release never reaches the
    // panel (Qt reports one at once, when the manager takes over).
    static constexpr int settleMilliseconds = 1000;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Move { none, byWindowManager, byPointer };
    void finishMove();

    PanelHost& host_;
    Move move_ = Move::none;
    QPoint originBefore_;
    QPoint grabOffset_;
    QTimer settle_;
    QWidget* watchedWindow_ = nullptr;
};

// Brand mark and name on the left (the drag handle over them), then the
// Settings and Close buttons.
class PanelHeader : public QWidget {
    Q_OBJECT

public:
    PanelHeader(PanelHost& host, QWidget* parent = nullptr);

    PanelDragHandle* dragHandle() const { return handle_; }

private:
    PanelDragHandle* handle_ = nullptr;
};

}  // namespace corvane
