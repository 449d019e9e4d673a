#include "app/panel/grid_panel_view.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/panel/layout_area.h"
#include "app/panel/panel_blocks.h"
#include "app/panel/panel_header.h"
#include "app/panel/panel_host.h"
#include "app/panel/panel_selection.h"
#include "app/panel/tile_grid.h"
#include "app/style/panel_style.h"
#include "app/style/panel_widgets.h"

namespace corvane {

GridPanelView::GridPanelView(PanelHost& host, PanelSelection& selection, platform::Display display,
                             QWidget* parent)
    : QWidget(parent), host_(host), selection_(selection), display_(std::move(display)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(panelWidth);
    PanelStyle::applyDarkPalette(this);
    setFont(PanelStyle::font(12));

    header_ = new PanelHeader(host_, this);
    target_ = new TargetRow(host_, this);
    permission_ = new PermissionCard(host_, this);
    displayRow_ = new DisplayRow(display_, this);

    grid_ = new TileGrid(selection_, this);
    grid_->setFixedHeight(gridHeight);
    grid_->setPreviewHandler(
        [this](const std::optional<TileRegion>& region) { host_.updatePreview(region, display_); });
    grid_->setSelectHandler([this](const TileRegion& region, bool shiftHeld) {
        host_.applyRegion(region, display_, shiftHeld);
    });

    sizeControls_ = new GridSizeControls(host_, this);
    status_ = new StatusLine(this);
    layouts_ = new SavedLayoutArea(this);
    connect(layouts_, &SavedLayoutArea::layoutChosen, this,
            [this](const SavedLayout& layout) { host_.applyLayout(layout, display_); });
    toolbar_ = new PanelToolbar(host_, this);
    connect(toolbar_, &PanelToolbar::saveRequested, this, &GridPanelView::saveSelection);
    connect(&selection_, &PanelSelection::regionChanged, this,
            [this] { toolbar_->refresh(selection_.region().has_value()); });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    for (QWidget* block : std::initializer_list<QWidget*>{
             header_, target_, permission_, displayRow_, grid_, sizeControls_, status_,
             new Divider(this), layouts_, toolbar_}) {
        column->addWidget(block);
    }

    refresh();
}

void GridPanelView::refresh() {
    const GridSize grid = host_.activeGrid();
    const bool permitted = host_.permissionGranted();
    target_->refresh();
    permission_->setVisible(!permitted);
    displayRow_->refresh(grid);
    grid_->setGrid(grid);
    grid_->setInteractive(permitted && !host_.isApplying() && host_.target().has_value());
    sizeControls_->refresh(host_.subdivided());
    status_->refresh(host_.message(), host_.messageIsError());
    const bool newTiles =
        layouts_->setLayouts(host_.settings().layouts,
                             [this](const KeyCombo& combo) { return host_.shownShortcut(combo); });
    if (newTiles && host_.diagnosticsEnabled()) reportLayoutTiles();
    toolbar_->refresh(selection_.region().has_value());
    updateGeometry();
}

void GridPanelView::reportLayoutTiles() {
    std::string line = "Layout tiles:";
    for (const LayoutTile* tile : layouts_->tiles()) {
        line += " \"" + tile->layout().name + '"';
        if (const QString shortcut = tile->shortcutText(); !shortcut.isEmpty())
            line += ' ' + shortcut.toStdString();
        line += ';';
    }
    host_.diagnostic(line);
}

void GridPanelView::fitToHeight(std::optional<int> height) {
    layouts_->setHeightCap(std::nullopt);
    if (!height) return;
    if (layout()) layout()->invalidate();
    const int excess = sizeHint().height() - *height;
    if (excess > 0) layouts_->setHeightCap(layouts_->naturalHeight() - excess);
    if (layout()) layout()->invalidate();
}

void GridPanelView::saveSelection() {
    if (const std::optional<TileRegion> region = selection_.region()) {
        host_.saveSelectionAsLayout(*region);
    }
}

QSize GridPanelView::sizeHint() const {
    // Wrapped texts (the permission card, long messages) need the real width to know their height.
    QLayout* column = layout();
    if (!column) return QSize(panelWidth, 0);
    const int height = column->hasHeightForWidth() ? column->totalHeightForWidth(panelWidth)
                                                   : column->totalSizeHint().height();
    return QSize(panelWidth, height);
}

void GridPanelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Half a pixel in, so the one-pixel outline lies on whole pixels.
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath card;
    card.addRoundedRect(box, cornerRadius, cornerRadius);
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, QColor::fromRgbF(0.115f, 0.13f, 0.15f));
    fill.setColorAt(1, QColor::fromRgbF(0.075f, 0.085f, 0.1f));
    painter.fillPath(card, fill);
    painter.strokePath(card, QPen(PanelStyle::white(0.12), 1.0));
}

}  // namespace corvane
