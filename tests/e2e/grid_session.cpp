#include "tests/e2e/grid_session.h"

#include <QImage>
#include <cstring>

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

}  // namespace corvane::e2e
