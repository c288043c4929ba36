#pragma once
#include <QImage>

namespace artwork {

// The application icon at `size` x `size` pixels, transparent around it: a
// landscape picture card with an orange badge holding an arrow (picture
// becomes icon).
QImage DrawAppIcon(int size);

} // namespace artwork
