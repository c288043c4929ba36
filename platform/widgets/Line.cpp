#include "Line.h"

#include "platform/widgets/Control.h"

#include <QPainter>
#include <algorithm>

namespace platform {

Line::Line(int x1, int x2, int y, QWidget* parent) : QWidget(parent), x1_(x1), x2_(x2), y_(y) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const int left = ToPixels(std::min(x1, x2));
    const int right = ToPixels(std::max(x1, x2));
    setGeometry(left, ToPixels(y), std::max(right - left, 1), 1);
}

void Line::SetBorderColor(OleColor color) {
    if (color == borderColor_)
        return;
    borderColor_ = color;
    update();
}

void Line::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ToColor(borderColor_));
}

} // namespace platform
