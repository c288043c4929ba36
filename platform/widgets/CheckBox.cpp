#include "CheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace platform {

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    connect(this, &QCheckBox::toggled, this, [this] { emit Click(); });
}

QRect CheckBox::BoxRect() const {
    const int side = std::min(kBoxSide, height());
    return QRect(0, (height() - side) / 2, side, side);
}

// The caption's line box may be taller than the control; centring it on the
// box rather than on the control keeps it at the same height beside the box
// in every control.
QRect CheckBox::CaptionRect() const {
    const QRect box = BoxRect();
    const int lineHeight = fontMetrics().height();
    const int top = box.top() + (box.height() - lineHeight) / 2;
    return QRect(box.right() + 1 + kCaptionSpacing, top, std::max(0, width() - box.width() - kCaptionSpacing),
                 lineHeight);
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
        // Around the caption's text, a little higher than the box.
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        const int textWidth = fontMetrics().horizontalAdvance(text()) + 2;
        focus.rect = QRect(caption.rect.left(), box.rect.top() - 2, textWidth, box.rect.height() + 4) & rect();
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace platform
