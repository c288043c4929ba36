#pragma once
// A frame: an opaque panel in the window colour with its caption at the
// top-left corner. Opaque, so that a frame laid over another one's caption
// hides it.

#include <QGroupBox>

namespace platform {

class Frame : public QGroupBox {
    Q_OBJECT
public:
    explicit Frame(const QString& caption, QWidget* parent = nullptr);
};

} // namespace platform
