#include "Frame.h"

#include "platform/widgets/OleColor.h"

namespace platform {

Frame::Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, ToColor(kButtonFace));
    setPalette(p);
}

} // namespace platform
