#pragma once
// A check box: `Value` 0 (unticked) or 1 (ticked), and a Click event raised
// whenever the value changes, by the user or by code setting it. The box
// shrinks to the control's height, so that a box laid out for a small font
// shows whole.

#include <QCheckBox>

namespace platform {

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& caption, QWidget* parent = nullptr);

    int Value() const { return isChecked() ? 1 : 0; }
    void SetValue(int value) { setChecked(value != 0); }

    // Where the box and the caption are drawn.
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
