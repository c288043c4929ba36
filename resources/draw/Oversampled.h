#pragma once
// Icons are drawn at four times their size on a square of design units and
// scaled down smoothly, so that thin lines stay crisp at 16 pixels.

#include <QImage>
#include <QPainter>

#include <functional>

namespace artwork {

inline QImage DrawOversampled(int size, double designUnits, const std::function<void(QPainter&)>& draw) {
    constexpr int kOversample = 4;
    const int big = size * kOversample;
    QImage canvas(big, big, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(big / designUnits, big / designUnits);
    draw(p);
    p.end();
    return canvas.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace artwork
