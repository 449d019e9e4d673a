// Renders Corvane's application icon as PNG files for the hicolor icon theme:
// the brand mark in the accent colour on the panels' dark background, with the
// figures of corvane.svg beside this file (a 128-unit canvas, the background
// inset by 8 with corners of 24, the mark's 18-unit square scaled 4 times and
// centred). Painting on a QImage needs no display.
//
// Usage: render_icon FOLDER SIZE...   writes FOLDER/SIZExSIZE/apps/corvane.png

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/style/brand_mark.h"
#include "app/style/panel_style.h"

namespace {

constexpr double kCanvas = 128.0;
constexpr double kInset = 8.0;
constexpr double kCorner = 24.0;
constexpr double kMarkSide = 18.0 * 4;

QImage icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const double s = size / kCanvas;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0.1f, 0.11f, 0.13f));
    const double side = (kCanvas - 2 * kInset) * s;
    painter.drawRoundedRect(QRectF(kInset * s, kInset * s, side, side), kCorner * s, kCorner * s);
    const double markOrigin = (kCanvas - kMarkSide) / 2 * s;
    corvane::drawBrandMark(painter, QRectF(markOrigin, markOrigin, kMarkSide * s, kMarkSide * s),
                           corvane::PanelStyle::accent());
    return image;
}

std::optional<int> iconSize(const char* text) {
    int value = 0;
    const char* end = text + std::strlen(text);
    const auto [rest, ec] = std::from_chars(text, end, value);
    if (ec != std::errc{} || rest != end || value < 16 || value > 1024) return std::nullopt;
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: render_icon FOLDER SIZE...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const std::optional<int> size = iconSize(argv[i]);
        if (!size) {
            std::fprintf(stderr, "render_icon: not an icon size from 16 to 1024: %s\n", argv[i]);
            return 2;
        }
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(*size);
        const QString file = apps + QStringLiteral("/corvane.png");
        if (!QDir().mkpath(apps) || !icon(*size).save(file, "PNG")) {
            std::fprintf(stderr, "render_icon: could not write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
