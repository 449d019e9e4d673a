#include "tests/e2e/grid_session.h"

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstring>
#include <thread>

#ifndef CORVANE_APP_PATH
#error "CORVANE_APP_PATH must name the corvane executable"
#endif

namespace corvane::e2e {

std::string corvanePath() {
    return CORVANE_APP_PATH;
}

QImage grabScreen(const Desktop& desktop, const Box& area) {
    xcb_connection_t* c = desktop.connection();
    auto reply = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, desktop.root(), std::int16_t(area.x),
                      std::int16_t(area.y), std::uint16_t(area.width), std::uint16_t(area.height),
                      ~0u),
        nullptr);
    if (!reply) return {};
    // Depth 24 arrives as 32-bit pixels, blue first: Qt's RGB32 on a little-endian machine.
    QImage image(area.width, area.height, QImage::Format_RGB32);
    const int stride = area.width * 4;
    if (xcb_get_image_data_length(reply) >= stride * area.height) {
        for (int row = 0; row < area.height; ++row)
            std::memcpy(image.scanLine(row),
                        xcb_get_image_data(reply) + std::ptrdiff_t(row) * stride,
                        std::size_t(stride));
    }
    std::free(reply);
    return image;
}

namespace {

// The selected tile in one picture of the panel, as the grid it implies.
std::optional<GridOnScreen> gridInPicture(const Desktop& desktop, const Box& panel) {
    const QImage image = grabScreen(desktop, panel);
    int top = -1, bottom = -1, left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y) {
        int count = 0, first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            if (c.green() <= 190 || c.red() <= 150 || c.blue() >= 170 || c.green() - c.blue() <= 50)
                continue;
            ++count;
            if (first < 0) first = x;
            last = x;
        }
        // A line of text in the accent is sparser than a tile; the "2× Grid" button below is not.
        if (count < 30) {
            if (top >= 0) break;
            continue;
        }
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (top < 0) return std::nullopt;
    // The tile's edge is antialiased: its 1-pixel line counts half.
    const double width = (right - left + 1) + 4, height = (bottom - top + 1) + 4;
    return GridOnScreen{panel.x + left - 2 - width, double(panel.y + top - 2), width, height};
}

}  // namespace

// A picture taken while the panel repaints (a busy machine is slow to) can
// show another patch of the accent than the selected tile: the grid is where
// two pictures a moment apart agree, and inside the panel.
std::optional<GridOnScreen> locateGrid(const Desktop& desktop, const Box& panel) {
    const std::optional<GridOnScreen> first = gridInPicture(desktop, panel);
    if (!first || first->left < panel.x || first->top < panel.y) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const std::optional<GridOnScreen> second = gridInPicture(desktop, panel);
    if (!second || second->left != first->left || second->top != first->top ||
        second->cellWidth != first->cellWidth || second->cellHeight != first->cellHeight)
        return std::nullopt;
    return first;
}

}  // namespace corvane::e2e
