#pragma once
#include <QImage>

namespace artwork {

// A generic executable's icon at `size` x `size` pixels: a program window
// with a title bar, for executables that carry no icon of their own.
QImage DrawExeIcon(int size);

} // namespace artwork
