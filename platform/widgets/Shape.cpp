#include "Shape.h"

#include <QPainter>

namespace platform {

Shape::Shape(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::SetBackColor(OleColor color) {
    if (color == backColor_)
        return;
    backColor_ = color;
    update();
}

void Shape::SetBorderColor(OleColor color) {
    if (color == borderColor_)
        return;
    borderColor_ = color;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(ToColor(borderColor_), 1));
    painter.setBrush(ToColor(backColor_));
    // The border lies on the outermost pixels of the control.
    const QRect box = rect().adjusted(0, 0, -1, -1);
    if (kind_ == Kind::RoundedRectangle) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawRoundedRect(QRectF(box).translated(0.5, 0.5), kCornerRadius, kCornerRadius);
    } else {
        painter.drawRect(box);
    }
}

} // namespace platform
