#pragma once
// A shape: a plain or rounded rectangle with an opaque fill and a 1-pixel
// solid border. It takes no pointer input: the pointer reaches what lies
// beneath it (the window's surface).

#include "platform/widgets/OleColor.h"

#include <QWidget>

namespace platform {

class Shape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, RoundedRectangle };

    explicit Shape(Kind kind, QWidget* parent = nullptr);

    Kind ShapeKind() const { return kind_; }
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    OleColor BorderColor() const { return borderColor_; }
    void SetBorderColor(OleColor color);

    static constexpr int kCornerRadius = 6;  // pixels

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
    OleColor backColor_ = kWhite;
    OleColor borderColor_ = kWindowText;
};

} // namespace platform
