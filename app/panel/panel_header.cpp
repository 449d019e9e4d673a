#include "app/panel/panel_header.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QWindow>

#include "app/panel/panel_host.h"
#include "app/style/brand_mark.h"
#include "app/style/panel_accessibility.h"
#include "app/style/panel_style.h"
#include "app/style/panel_widgets.h"
#include "core/rect.h"

namespace corvane {

PanelDragHandle::PanelDragHandle(PanelHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setCursor(Qt::OpenHandCursor);
    setToolTip(tr("Drag to move the grid"));
    hideFromAccessibility(this);
    settle_.setSingleShot(true);
    settle_.setInterval(settleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &PanelDragHandle::finishMove);
}

void PanelDragHandle::mousePressEvent(QMouseEvent* event) {
    QWidget* panel = window();
    if (event->button() != Qt::LeftButton || panel == this) {
        event->ignore();
        return;
    }
    originBefore_ = panel->frameGeometry().topLeft();
    QWindow* handle = panel->windowHandle();
    if (handle && handle->startSystemMove()) {
        move_ = Move::byWindowManager;
        if (watchedWindow_ != panel) {
            panel->installEventFilter(this);
            watchedWindow_ = panel;
        }
        settle_.start();
    } else {
        // No window manager move (or no window manager): follow the pointer.
        move_ = Move::byPointer;
        grabOffset_ = event->globalPosition().toPoint() - panel->pos();
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void PanelDragHandle::mouseMoveEvent(QMouseEvent* event) {
    if (move_ != Move::byPointer) return;
    window()->move(event->globalPosition().toPoint() - grabOffset_);
}

void PanelDragHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || move_ != Move::byPointer) return;
    setCursor(Qt::OpenHandCursor);
    finishMove();
}

bool PanelDragHandle::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && move_ == Move::byWindowManager &&
        event->type() == QEvent::Move) {
        settle_.start();
    }
    return QWidget::eventFilter(watched, event);
}

void PanelDragHandle::finishMove() {
    if (move_ == Move::none) return;
    move_ = Move::none;
    settle_.stop();
    if (!host_.diagnosticsEnabled()) return;
    const QPoint after = window()->frameGeometry().topLeft();
    host_.diagnostic("Panel drag: " + describePoint(originBefore_.x(), originBefore_.y()) +
                     " \u2192 " + describePoint(after.x(), after.y()));
}

PanelHeader::PanelHeader(PanelHost& host, QWidget* parent) : QWidget(parent) {
    auto* title = new QWidget(this);
    title->setMinimumHeight(20);
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->setSpacing(7);
    titleRow->addWidget(new BrandMark(18, PanelStyle::accent(), title));
    auto* name = new QLabel(QStringLiteral("Corvane"), title);
    name->setFont(PanelStyle::font(12, QFont::DemiBold));
    setTextColor(name, PanelStyle::primaryText());
    titleRow->addWidget(name);
    titleRow->addStretch(1);

    // The handle lies over the whole title area, so a press anywhere on it moves the panel.
    handle_ = new PanelDragHandle(host, title);
    auto* stack = new QGridLayout(title);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addLayout(titleRow, 0, 0);
    stack->addWidget(handle_, 0, 0);
    handle_->raise();

    auto* settings = makePlainButton(Symbol::gear, QString(), tr("Settings"), this, 15);
    connect(settings, &QToolButton::clicked, this, [&host] { host.showSettings(); });
    auto* close = makePlainButton(Symbol::close, QString(), tr("Close grid (Esc)"), this, 15);
    connect(close, &QToolButton::clicked, this, [&host] { host.closePanels(true); });
    settings->setObjectName(QStringLiteral("settingsButton"));
    close->setObjectName(QStringLiteral("closeButton"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(7);
    row->addWidget(title, 1, Qt::AlignVCenter);
    row->addWidget(settings, 0, Qt::AlignVCenter);
    row->addWidget(close, 0, Qt::AlignVCenter);
}

}  // namespace corvane
