#pragma once
// A label: caption, background colour (opaque), and a Click event. A
// word-wrapped caption that would overflow the label at the font's normal
// line spacing has its lines drawn closer, down to the font's ascent, so
// that the text laid out for a 12-pixel font still fits (and, failing
// that, in a smaller font).

#include "platform/widgets/OleColor.h"

#include <QLabel>

namespace platform {

class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(const QString& caption, QWidget* parent = nullptr);

    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);

    // The caption's lines as drawn (after word wrap and line feeds).
    QStringList DrawnLines() const;

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyBackColor();

    OleColor backColor_ = kButtonFace;
    bool pressed_ = false;
};

} // namespace platform
