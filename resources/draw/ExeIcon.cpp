#include "ExeIcon.h"

#include "Oversampled.h"

#include <QLinearGradient>
#include <QPainter>

namespace artwork {

namespace {
constexpr int kDesignUnits = 32;
} // namespace

QImage DrawExeIcon(int size) {
    return DrawOversampled(size, kDesignUnits, [](QPainter& p) {
        const QRectF frame(2.5, 4.5, 27, 23);
        p.setPen(QPen(QColor(0x3a, 0x3f, 0x47), 1));
        p.setBrush(QColor(0xf4, 0xf5, 0xf7));
        p.drawRoundedRect(frame, 2, 2);
        QLinearGradient bar(frame.topLeft(), frame.topRight());
        bar.setColorAt(0, QColor(0x1c, 0x4f, 0xa8));
        bar.setColorAt(1, QColor(0x4a, 0x90, 0xe2));
        p.setPen(Qt::NoPen);
        p.setBrush(bar);
        p.drawRect(QRectF(3, 5, 26, 5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(24.5, 6.5, 3, 2));
        // Three lines of "content" in the window.
        p.setBrush(QColor(0x9a, 0xa3, 0xaf));
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(6, 14 + i * 4, i == 2 ? 12 : 20, 2));
    });
}

} // namespace artwork
