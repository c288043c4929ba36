#include "FocusRing.h"

#include <QPainter>
#include <QWidget>

namespace platform {

void PaintFocusRing(QPainter& painter, const QWidget& control, const QRect& area) {
    if (!control.hasFocus() || area.width() < 4 || area.height() < 4)
        return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(control.palette().color(QPalette::Highlight), 1));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(control.palette().color(QPalette::HighlightedText), 1));
    painter.drawRect(area.adjusted(1, 1, -2, -2));
    painter.restore();
}

void PaintFrameWithFocusRing(QWidget& control) {
    QPainter painter(&control);
    PaintFocusRing(painter, control, control.rect());
}

} // namespace platform
