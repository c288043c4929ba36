#include "CheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace platform {

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    connect(this, &QCheckBox::toggled, this, [this] { emit Click(); });
}

QRect CheckBox::BoxRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const int side = std::min(style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this), height());
    return QRect(0, (height() - side) / 2, side, side);
}

QRect CheckBox::CaptionRect() const {
    return rect().adjusted(BoxRect().right() + 1 + kCaptionSpacing, 0, 0, 0);
}

void CheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    QStyleOptionButton box(option);
    box.rect = BoxRect();
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, box);
    QStyleOptionButton caption(option);
    caption.rect = CaptionRect();
    painter.drawControl(QStyle::CE_CheckBoxLabel, caption);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = caption.rect.intersected(
            QRect(caption.rect.topLeft(), QSize(fontMetrics().horizontalAdvance(text()) + 2, height())));
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace platform
