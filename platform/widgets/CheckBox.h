#pragma once
// A check box: `Value` 0 (unticked) or 1 (ticked), and a Click event raised
// whenever the value changes, by the user or by code setting it. Every check
// box draws the same box, sized for the lowest of the window's check boxes
// (12 pixels), and its caption at the same distance and height beside it, so
// that boxes of different heights look alike.

#include <QCheckBox>

namespace platform {

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& caption, QWidget* parent = nullptr);

    int Value() const { return isChecked() ? 1 : 0; }
    void SetValue(int value) { setChecked(value != 0); }

    static constexpr int kBoxSide = 12;  // pixels

    // Where the box and the caption are drawn: the box at the left, centred
    // in height (smaller only in a control lower than the box); the caption
    // beside it, centred on the box's middle.
    QRect BoxRect() const;
    QRect CaptionRect() const;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kCaptionSpacing = 4;  // pixels between box and caption
};

} // namespace platform
