#include "AppIcon.h"

#include "Oversampled.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace artwork {

namespace {

constexpr int kDesignUnits = 48;   // the drawing is laid out on a 48 x 48 grid

void DrawCard(QPainter& p) {
    const QRectF card(4, 6, 36, 32);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(card.translated(1.5, 1.5), 5, 5);
    p.setBrush(Qt::white);
    p.drawRoundedRect(card, 5, 5);

    const QRectF sky = card.adjusted(3, 3, -3, -3);
    QPainterPath clip;
    clip.addRoundedRect(sky, 3, 3);
    p.save();
    p.setClipPath(clip);
    QLinearGradient gradient(sky.topLeft(), sky.bottomLeft());
    gradient.setColorAt(0, QColor(0x2f, 0x80, 0xed));
    gradient.setColorAt(1, QColor(0xb8, 0xe0, 0xff));
    p.fillRect(sky, gradient);
    p.setBrush(QColor(0xff, 0xc8, 0x2e));
    p.drawEllipse(QPointF(29, 16), 4.5, 4.5);
    QPainterPath far;
    far.moveTo(sky.left(), 31);
    far.quadTo(13, 19, 24, 29);
    far.lineTo(sky.right(), sky.bottom());
    far.lineTo(sky.left(), sky.bottom());
    p.setBrush(QColor(0x2e, 0x8b, 0x3e));
    p.drawPath(far);
    QPainterPath near;
    near.moveTo(sky.left(), sky.bottom());
    near.quadTo(22, 24, sky.right(), 30);
    near.lineTo(sky.right(), sky.bottom());
    p.setBrush(QColor(0x5c, 0xbf, 0x4a));
    p.drawPath(near);
    p.restore();
}

void DrawBadge(QPainter& p) {
    const QRectF badge(27, 27, 19, 19);
    p.setPen(QPen(Qt::white, 2));
    QLinearGradient gradient(badge.topLeft(), badge.bottomRight());
    gradient.setColorAt(0, QColor(0xff, 0xa6, 0x2b));
    gradient.setColorAt(1, QColor(0xe8, 0x5d, 0x04));
    p.setBrush(gradient);
    p.drawRoundedRect(badge, 5, 5);
    // An arrow pointing down and to the right: into the icon.
    QPainterPath arrow;
    arrow.moveTo(31.5, 31.5);
    arrow.lineTo(40, 40);
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    QPolygonF head;
    head << QPointF(42, 42) << QPointF(42, 34.5) << QPointF(34.5, 42);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(head);
}

} // namespace

QImage DrawAppIcon(int size) {
    return DrawOversampled(size, kDesignUnits, [](QPainter& p) {
        DrawCard(p);
        DrawBadge(p);
    });
}

} // namespace artwork
