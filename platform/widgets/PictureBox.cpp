#include "PictureBox.h"

#include "platform/widgets/FocusRing.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

PictureBox::PictureBox(Border border, QWidget* parent) : QFrame(parent) {
    if (border == Border::FixedSingle) {
        setFrameShape(QFrame::Box);
        setFrameShadow(QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameShape(QFrame::NoFrame);
    }
}

void PictureBox::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void PictureBox::SetBackColor(OleColor color) {
    backColor_ = color;
    update();
}

void PictureBox::SetForeColor(OleColor color) {
    foreColor_ = color;
    update();
}

void PictureBox::Cls() {
    EnsureSurface();
    drawing_.fill(Qt::transparent);
    update();
}

void PictureBox::DrawImage(int x, int y, const QImage& image) {
    EnsureSurface();
    if (drawing_.isNull())
        return;
    QPainter painter(&drawing_);
    painter.drawImage(x, y, image);
    painter.end();
    update();
}

QImage PictureBox::Snapshot() const {
    QImage shot(contentsRect().size(), QImage::Format_ARGB32);
    QPainter painter(&shot);
    PaintArea(painter);
    return shot;
}

void PictureBox::PaintArea(QPainter& painter) const {
    const QRect area(QPoint(0, 0), contentsRect().size());
    painter.fillRect(area, ToColor(backColor_));
    if (!picture_.isNull())
        painter.drawPixmap(0, 0, picture_);
    if (!drawing_.isNull())
        painter.drawImage(0, 0, drawing_);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setClipRect(contentsRect());
        painter.translate(contentsRect().topLeft());
        PaintArea(painter);
    }
    QFrame::paintEvent(event);  // the border
    QPainter painter(this);
    PaintFocusRing(painter, *this, VisibleRect());
}

// A box wider than its container (the banner) is cut off at the container's
// edge: its focus ring keeps to the part that is seen.
QRect PictureBox::VisibleRect() const {
    QRect area = contentsRect();
    if (const QWidget* container = parentWidget())
        area &= QRect(mapFromParent(QPoint(0, 0)), container->size());
    return area;
}

// The surface follows the drawing area's size, keeping what was drawn. A box
// not shown yet has had no resize event: drawing into it (at start-up, or on
// a hidden page) must not be lost.
void PictureBox::EnsureSurface() {
    if (drawing_.isNull() || drawing_.size() != contentsRect().size()) {
        QImage surface(contentsRect().size(), QImage::Format_ARGB32_Premultiplied);
        surface.fill(Qt::transparent);
        if (!drawing_.isNull()) {
            QPainter painter(&surface);
            painter.drawImage(0, 0, drawing_);
        }
        drawing_ = surface;
    }
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    EnsureSurface();
    QFrame::resizeEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QFrame::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QFrame::mouseReleaseEvent(event);
    if (click)
        emit Click();
}

} // namespace platform
