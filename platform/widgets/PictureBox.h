#pragma once
// A picture box: a background colour, a picture shown from the top-left
// corner (clipped, never scaled), a drawing surface kept between paints, an
// optional flat single-line border, and a Click event.

#include "platform/widgets/OleColor.h"

#include <QFrame>
#include <QImage>
#include <QPixmap>

namespace platform {

class PictureBox : public QFrame {
    Q_OBJECT
public:
    enum class Border { None, FixedSingle };

    explicit PictureBox(Border border, QWidget* parent = nullptr);

    const QPixmap& Picture() const { return picture_; }
    void SetPicture(const QPixmap& picture);

    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    OleColor ForeColor() const { return foreColor_; }
    void SetForeColor(OleColor color);

    // Clears the drawing surface to the background colour.
    void Cls();
    // Draws onto the surface; (x, y) in pixels of the drawing area.
    void DrawImage(int x, int y, const QImage& image);
    // What the drawing area shows now: background, picture and drawings.
    QImage Snapshot() const;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintArea(QPainter& painter) const;
    QRect VisibleRect() const;
    void EnsureSurface();

    QPixmap picture_;
    QImage drawing_;  // transparent where nothing was drawn
    OleColor backColor_ = kWindowBackground;
    OleColor foreColor_ = kWindowText;
    bool pressed_ = false;
};

} // namespace platform
