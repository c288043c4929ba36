#include "Label.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <memory>

namespace platform {

Label::Label(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAutoFillBackground(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContentsMargins(0, 0, 0, 0);
    setMargin(0);
    setIndent(0);
    ApplyBackColor();
}

void Label::SetBackColor(OleColor color) {
    if (color == backColor_)
        return;
    backColor_ = color;
    ApplyBackColor();
}

void Label::ApplyBackColor() {
    QPalette p = palette();
    p.setColor(QPalette::Window, ToColor(backColor_));
    setPalette(p);
}

void Label::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit Click();
}

void Label::changeEvent(QEvent* event) {
    // A system colour follows the desktop scheme when it changes.
    if (event->type() == QEvent::ApplicationPaletteChange && IsSystemColor(backColor_))
        ApplyBackColor();
    QLabel::changeEvent(event);
}

} // namespace platform

namespace platform {

namespace {

constexpr int kSmallestPixelSize = 9;

struct WrappedText {
    std::unique_ptr<QTextLayout> layout;
    int lineStep = 0;
    bool fits = false;
};

// Wraps `text` at `area`'s width and spaces the lines to fit its height:
// the font's normal spacing when there is room, else closer, down to the
// ascent.
WrappedText Wrap(const QString& text, const QFont& font, Qt::Alignment alignment, const QRect& area) {
    WrappedText wrapped;
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);  // a line feed starts a new line
    wrapped.layout = std::make_unique<QTextLayout>(lines, font);
    QTextOption option(alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WordWrap);
    wrapped.layout->setTextOption(option);
    wrapped.layout->beginLayout();
    for (QTextLine line = wrapped.layout->createLine(); line.isValid(); line = wrapped.layout->createLine())
        line.setLineWidth(area.width());
    wrapped.layout->endLayout();
    const int count = std::max(wrapped.layout->lineCount(), 1);
    const QFontMetrics metrics(font);
    wrapped.lineStep = metrics.lineSpacing();
    if (count * wrapped.lineStep > area.height())
        wrapped.lineStep = std::max(metrics.ascent() + 1, area.height() / count);
    wrapped.fits = count * wrapped.lineStep <= area.height();
    for (int i = 0; i < wrapped.layout->lineCount(); ++i)
        wrapped.layout->lineAt(i).setPosition(QPointF(0, i * wrapped.lineStep));
    return wrapped;
}

// A word-wrapped caption too long for the label even with close lines is
// drawn a pixel smaller at a time until it fits.
WrappedText FitCaption(const QString& text, const QFont& font, Qt::Alignment alignment, const QRect& area) {
    QFont shrinking = font;
    WrappedText wrapped = Wrap(text, shrinking, alignment, area);
    while (!wrapped.fits && shrinking.pixelSize() > kSmallestPixelSize) {
        shrinking.setPixelSize(shrinking.pixelSize() - 1);
        wrapped = Wrap(text, shrinking, alignment, area);
    }
    return wrapped;
}

} // namespace

QStringList Label::DrawnLines() const {
    if (!wordWrap())
        return {text()};
    const WrappedText wrapped = FitCaption(text(), font(), alignment(), contentsRect());
    const QString all = wrapped.layout->text();
    QStringList lines;
    for (int i = 0; i < wrapped.layout->lineCount(); ++i) {
        const QTextLine line = wrapped.layout->lineAt(i);
        QString piece = all.mid(line.textStart(), line.textLength());
        piece.remove(QChar::LineSeparator);
        lines << piece;
    }
    return lines;
}

void Label::paintEvent(QPaintEvent* event) {
    if (!wordWrap() || textFormat() == Qt::RichText) {
        QLabel::paintEvent(event);
        return;
    }
    const QRect area = contentsRect();
    const WrappedText wrapped = FitCaption(text(), font(), alignment(), area);
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    wrapped.layout->draw(&painter, area.topLeft());
}

} // namespace platform
