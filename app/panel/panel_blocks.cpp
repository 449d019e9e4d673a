#include "app/panel/panel_blocks.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>

#include "app/panel/desktop_entry_icon.h"
#include "app/panel/panel_host.h"
#include "app/style/panel_accessibility.h"
#include "app/style/panel_style.h"
#include "app/style/panel_symbols.h"
#include "app/style/panel_widgets.h"

namespace corvane {

namespace {

// A window's own icon as an image; empty when the pixel data does not match its size.
QImage imageOf(const platform::IconImage& icon) {
    constexpr int kLargest = 1024;
    if (icon.width <= 0 || icon.height <= 0 || icon.width > kLargest || icon.height > kLargest ||
        icon.argb.size() < std::size_t(icon.width) * std::size_t(icon.height)) {
        return {};
    }
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    for (int y = 0; y < icon.height; ++y) {
        std::memcpy(image.scanLine(y), icon.argb.data() + std::size_t(y) * std::size_t(icon.width),
                    std::size_t(icon.width) * sizeof(std::uint32_t));
    }
    return image;
}

QPixmap fitted(const QImage& image, int size, qreal dpr) {
    QPixmap pixmap = QPixmap::fromImage(
        image.scaled(QSize(size, size) * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

QString applicationName(const WindowTarget& target) {
    if (!target.app.name.empty()) return QString::fromStdString(target.app.name);
    if (!target.app.wmClass.empty()) return QString::fromStdString(target.app.wmClass);
    return QString::fromStdString(target.title);
}

QLabel* symbolLabel(Symbol symbol, int size, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(
        symbolIcon(symbol, color).pixmap(QSize(size, size), label->devicePixelRatioF()));
    label->setFixedSize(size, size);
    hideFromAccessibility(label);
    return label;
}

}  // namespace

// ---------------------------------------------------------------- TargetRow

TargetRow::TargetRow(PanelHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    icon_ = new QLabel(this);
    icon_->setFixedSize(iconSize, iconSize);
    icon_->setAlignment(Qt::AlignCenter);
    hideFromAccessibility(icon_);

    name_ = new ElidedLabel(this);
    name_->setFont(PanelStyle::font(16, QFont::DemiBold));
    setTextColor(name_, PanelStyle::primaryText());
    title_ = new ElidedLabel(this);
    title_->setFont(PanelStyle::font(11));
    setTextColor(title_, PanelStyle::secondaryText());

    auto* lines = new QVBoxLayout;
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(3);
    lines->addWidget(name_);
    lines->addWidget(title_);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(11);
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    row->addLayout(lines, 1);
}

void TargetRow::refresh() {
    const std::optional<WindowTarget>& target = host_.target();
    if (target) {
        name_->setText(applicationName(*target));
        title_->setText(QString::fromStdString(target->title));
    } else {
        name_->setText(tr("Choose a window"));
        title_->setText(tr("Focus an app, then open the grid."));
    }
    refreshIcon();
}

void TargetRow::refreshIcon() {
    const std::optional<WindowTarget>& target = host_.target();
    const std::optional<platform::WindowId> window =
        target ? std::optional(target->window) : std::nullopt;
    if (iconFetched_ && window == iconWindow_) return;
    iconFetched_ = true;
    iconWindow_ = window;

    const qreal dpr = devicePixelRatioF();
    QPixmap pixmap;
    if (target) {
        // As many pixels as the screen shows, so the icon stays sharp on a high-density display.
        if (const auto own = host_.targetIcon(int(std::ceil(iconSize * dpr)))) {
            const QImage image = imageOf(*own);
            if (!image.isNull()) pixmap = fitted(image, iconSize, dpr);
        }
        if (pixmap.isNull()) {
            const QIcon fromEntry = desktopEntryIcon(QString::fromStdString(target->app.wmClass));
            if (!fromEntry.isNull()) pixmap = fromEntry.pixmap(QSize(iconSize, iconSize), dpr);
        }
    }
    showsAppIcon_ = !pixmap.isNull();
    if (!showsAppIcon_) {
        pixmap = symbolIcon(Symbol::window, PanelStyle::secondaryText()).pixmap(QSize(28, 28), dpr);
    }
    icon_->setPixmap(pixmap);
}

QString TargetRow::nameText() const {
    return name_->text();
}
QString TargetRow::titleText() const {
    return title_->text();
}

// ---------------------------------------------------------------- PermissionCard

PermissionCard::PermissionCard(PanelHost& host, QWidget* parent) : QWidget(parent) {
    auto* heading = new QLabel(tr(headingText), this);
    heading->setFont(PanelStyle::font(14, QFont::DemiBold));
    setTextColor(heading, PanelStyle::primaryText());
    auto* headingRow = new QHBoxLayout;
    headingRow->setSpacing(6);
    headingRow->addWidget(symbolLabel(Symbol::hand, 15, PanelStyle::primaryText(), this));
    headingRow->addWidget(heading, 1);

    auto* explanation = new QLabel(
        tr("Corvane moves and resizes windows through an X11 window manager, and this session "
           "has none."),
        this);
    explanation->setWordWrap(true);
    explanation->setFont(PanelStyle::font(12));
    setTextColor(explanation, PanelStyle::secondaryText());

    auto* learnMore = new QPushButton(tr("Learn more\u2026"), this);
    learnMore->setObjectName(QStringLiteral("learnMoreButton"));
    learnMore->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: black; border: none;"
                       "  border-radius: 6px; padding: 4px 11px; font-weight: 600; }"
                       "QPushButton:hover { background: rgb(222,247,178); }"
                       "QPushButton:pressed { background: rgb(185,214,133); }")
            .arg(PanelStyle::accentCss()));
    auto* checkAgain = new QPushButton(tr("Check again"), this);
    checkAgain->setObjectName(QStringLiteral("checkAgainButton"));
    checkAgain->setStyleSheet(QStringLiteral(
        "QPushButton { background: rgba(255,255,255,26); color: rgba(255,255,255,230);"
        "  border: 1px solid rgba(255,255,255,30); border-radius: 6px; padding: 3px 11px; }"
        "QPushButton:hover { background: rgba(255,255,255,40); }"
        "QPushButton:pressed { background: rgba(255,255,255,56); }"));
    for (QPushButton* button : {learnMore, checkAgain}) {
        button->setFont(
            PanelStyle::font(12, button == learnMore ? QFont::DemiBold : QFont::Normal));
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(learnMore, &QPushButton::clicked, this, [&host] { host.openAccessibilitySettings(); });
    connect(checkAgain, &QPushButton::clicked, this, [&host] { host.checkPermission(); });
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(learnMore);
    buttons->addWidget(checkAgain);
    buttons->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(10);
    column->addLayout(headingRow);
    column->addWidget(explanation);
    column->addLayout(buttons);
}

void PermissionCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(card, PanelStyle::accent(0.08));
}

// ---------------------------------------------------------------- DisplayRow

DisplayRow::DisplayRow(const platform::Display& display, QWidget* parent) : QWidget(parent) {
    const QFont font = PanelStyle::font(11, QFont::Medium);
    auto* name = new ElidedLabel(this);
    name->setText(QString::fromStdString(display.name));
    name->setFont(font);
    setTextColor(name, PanelStyle::secondaryText());
    grid_ = new QLabel(this);
    // Common UI fonts (DejaVu, Noto, Cantarell) draw tabular digits, so "6 × 6"
    // and "12 × 12" keep their digits aligned without a separate monospaced font.
    grid_->setFont(font);
    setTextColor(grid_, PanelStyle::secondaryText());

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    row->addWidget(symbolLabel(Symbol::display, 13, PanelStyle::secondaryText(), this));
    row->addWidget(name, 1);
    row->addWidget(grid_);
}

void DisplayRow::refresh(const GridSize& grid) {
    grid_->setText(
        QStringLiteral("%1 \u00D7 %2").arg(qlonglong(grid.columns)).arg(qlonglong(grid.rows)));
}

QString DisplayRow::gridText() const {
    return grid_->text();
}

// ---------------------------------------------------------------- GridSizeControls

namespace {

QString stepperSheet() {
    return QStringLiteral(
        "QToolButton { background: rgba(255,255,255,22); border: none; border-radius: 5px; }"
        "QToolButton:hover { background: rgba(255,255,255,36); }"
        "QToolButton:pressed { background: rgba(255,255,255,56); }");
}

QToolButton* stepButton(Symbol symbol, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(symbolIcon(symbol, PanelStyle::primaryText()));
    button->setIconSize(QSize(10, 10));
    button->setFixedSize(22, 18);
    button->setAccessibleName(name);
    button->setToolTip(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(false);
    button->setStyleSheet(stepperSheet());
    return button;
}

}  // namespace

GridSizeControls::GridSizeControls(PanelHost& host, QWidget* parent)
    : QWidget(parent), host_(host) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    addStepper(tr("Columns"), true, row);
    row->addStretch(1);

    subdivide_ = new QToolButton(this);
    subdivide_->setObjectName(QStringLiteral("subdivideButton"));
    subdivide_->setFont(PanelStyle::font(10, QFont::DemiBold));
    subdivide_->setToolTip(tr("Subdivide grid (tap Alt)"));
    subdivide_->setFocusPolicy(Qt::NoFocus);
    subdivide_->setStyleSheet(
        QStringLiteral(
            "QToolButton { color: %1; background: %2; border: none;"
            "  border-radius: 5px; padding: 1px 2px; min-width: 44px; min-height: 16px; }"
            "QToolButton:hover { background: %3; }"
            "QToolButton:pressed { background: %4; }")
            .arg(PanelStyle::accentCss(), PanelStyle::accentCss(26), PanelStyle::accentCss(46),
                 PanelStyle::accentCss(70)));
    connect(subdivide_, &QToolButton::clicked, this, [this] { host_.toggleSubdivision(); });
    row->addWidget(subdivide_);

    row->addStretch(1);
    addStepper(tr("Rows"), false, row);
}

QToolButton* GridSizeControls::addStepper(const QString& label, bool columns, QHBoxLayout* row) {
    auto* text = new QLabel(label, this);
    text->setFont(PanelStyle::font(10));
    setTextColor(text, PanelStyle::secondaryText());
    // "Columns" gives "a column", "Rows" gives "a row".
    const QString noun = label.toLower().chopped(1);
    auto* minus = stepButton(Symbol::minus, tr("Remove a %1").arg(noun), this);
    auto* plus = stepButton(Symbol::plus, tr("Add a %1").arg(noun), this);
    connect(minus, &QToolButton::clicked, this,
            [this, columns] { host_.changeGrid(columns ? -1 : 0, columns ? 0 : -1); });
    connect(plus, &QToolButton::clicked, this,
            [this, columns] { host_.changeGrid(columns ? 1 : 0, columns ? 0 : 1); });
    row->addWidget(text);
    row->addSpacing(2);
    row->addWidget(minus);
    row->addWidget(plus);
    return plus;
}

void GridSizeControls::refresh(bool subdivided) {
    subdivide_->setText(subdivided ? tr("\u00BD Grid") : tr("2\u00D7 Grid"));
}

// ---------------------------------------------------------------- StatusLine

StatusLine::StatusLine(QWidget* parent) : QWidget(parent) {
    label_ = new QLabel(this);
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    label_->setFont(PanelStyle::font(11));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(label_);
}

void StatusLine::refresh(const std::optional<std::string>& message, bool isError) {
    if (message) {
        label_->setText(QString::fromStdString(*message));
        setTextColor(label_, isError ? PanelStyle::errorText() : PanelStyle::accent());
    } else {
        label_->setText(tr("Drag a rectangle. Make room."));
        setTextColor(label_, PanelStyle::secondaryText());
    }
}

QString StatusLine::text() const {
    return label_->text();
}
QColor StatusLine::textColor() const {
    return label_->palette().color(QPalette::WindowText);
}

// ---------------------------------------------------------------- PanelToolbar

PanelToolbar::PanelToolbar(PanelHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    undo_ =
        makePlainButton(Symbol::undo, tr("Undo"), tr("Undo last window move (Ctrl+Z)"), this, 13);
    save_ = makePlainButton(Symbol::plus, tr("Save layout"),
                            tr("Save the selected region as a reusable layout"), this, 13);
    nextDisplay_ = makePlainButton(Symbol::nextDisplay, QString(),
                                   tr("Move window to next display"), this, 16);
    connect(undo_, &QToolButton::clicked, this, [this] { host_.undoLastPlacement(); });
    connect(save_, &QToolButton::clicked, this, &PanelToolbar::saveRequested);
    connect(nextDisplay_, &QToolButton::clicked, this, [this] { host_.moveToNextDisplay(); });

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(undo_);
    row->addWidget(save_);
    row->addStretch(1);
    row->addWidget(nextDisplay_);
}

void PanelToolbar::refresh(bool hasSelection) {
    undo_->setEnabled(host_.canUndo() && !host_.isApplying());
    save_->setEnabled(hasSelection);
    nextDisplay_->setVisible(host_.displayCount() >= 2);
}

}  // namespace corvane
