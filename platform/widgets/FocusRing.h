#pragma once
// The keyboard focus mark of the controls whose style draws none of its own
// (picture boxes, folder and file lists, the text box): a ring in the
// selection colour around a line in the selected-text colour, so that it
// shows on light and dark backgrounds alike.

#include <QRect>

class QPainter;
class QWidget;

namespace platform {

// Draws the ring just inside `area` when `control` holds the focus.
void PaintFocusRing(QPainter& painter, const QWidget& control, const QRect& area);

// For a list or text box: paints its frame as usual, then the ring on the
// frame (the inside belongs to the viewport, which covers the rest).
void PaintFrameWithFocusRing(QWidget& control);

} // namespace platform
