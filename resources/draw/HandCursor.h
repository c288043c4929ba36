#pragma once
#include <QImage>
#include <QPoint>

namespace artwork {

inline constexpr int kHandCursorSize = 32;
inline constexpr QPoint kHandHotSpot(12, 1);  // the tip of the index finger

// A pointing hand, white with a black outline, index finger up.
QImage DrawHandCursor();

} // namespace artwork
