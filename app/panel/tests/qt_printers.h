#pragma once

#include <QColor>
#include <QRect>
#include <QRectF>
#include <QString>
#include <ostream>

// Readable gtest failure messages for the Qt values the panel tests compare.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
inline void PrintTo(const QRectF& r, std::ostream* out) {
    *out << "QRectF(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
inline void PrintTo(const QColor& c, std::ostream* out) {
    *out << "rgba(" << c.red() << ", " << c.green() << ", " << c.blue() << ", " << c.alpha() << ")";
}
