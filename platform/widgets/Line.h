#pragma once
// A horizontal line from X1 to X2 (X2 not drawn) at height Y, positions in
// twips of the container. Like a shape, it takes no pointer input.

#include "platform/widgets/OleColor.h"

#include <QWidget>

namespace platform {

class Line : public QWidget {
    Q_OBJECT
public:
    Line(int x1, int x2, int y, QWidget* parent = nullptr);

    int X1() const { return x1_; }
    int X2() const { return x2_; }
    int Y() const { return y_; }
    OleColor BorderColor() const { return borderColor_; }
    void SetBorderColor(OleColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int x1_, x2_, y_;
    OleColor borderColor_ = kBlack;
};

} // namespace platform
