#include "HandCursor.h"

#include <QPainter>
#include <QPainterPath>

namespace artwork {

namespace {

// The hand's outline on the pixel grid: fingers, palm, wrist and thumb.
QPainterPath HandShape() {
    QPainterPath hand;
    hand.addRoundedRect(QRectF(10, 1, 5, 16), 2, 2);   // index finger, tip at (12, 1)
    hand.addRoundedRect(QRectF(15, 8, 4, 9), 2, 2);    // middle finger
    hand.addRoundedRect(QRectF(19, 9, 4, 8), 2, 2);    // ring finger
    hand.addRoundedRect(QRectF(23, 11, 3, 7), 1.5, 1.5);  // little finger
    hand.addRoundedRect(QRectF(8, 15, 18, 12), 3, 3);  // palm
    hand.addRect(QRectF(10, 24, 14, 6));                // wrist
    QPolygonF thumb;
    thumb << QPointF(3, 15) << QPointF(6, 14) << QPointF(11, 19) << QPointF(11, 24) << QPointF(8, 24)
          << QPointF(3, 18);
    hand.addPolygon(thumb);
    hand.setFillRule(Qt::WindingFill);
    return hand.simplified();
}

bool Inside(const QImage& mask, int x, int y) {
    return x >= 0 && y >= 0 && x < mask.width() && y < mask.height() && qAlpha(mask.pixel(x, y)) != 0;
}

} // namespace

QImage DrawHandCursor() {
    QImage mask(kHandCursorSize, kHandCursorSize, QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(HandShape());
    }
    // Pixels at the shape's edge become the black outline.
    QImage cursor = mask.copy();
    for (int y = 0; y < kHandCursorSize; ++y) {
        for (int x = 0; x < kHandCursorSize; ++x) {
            if (!Inside(mask, x, y))
                continue;
            const bool edge = !Inside(mask, x - 1, y) || !Inside(mask, x + 1, y) || !Inside(mask, x, y - 1) ||
                              !Inside(mask, x, y + 1);
            if (edge)
                cursor.setPixel(x, y, qRgba(0, 0, 0, 255));
        }
    }
    // The gaps between the fingers.
    QPainter p(&cursor);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(15, 9, 15, 15);
    p.drawLine(19, 10, 19, 15);
    p.drawLine(23, 12, 23, 16);
    p.end();
    return cursor;
}

} // namespace artwork
