#include "TextBox.h"

#include "platform/widgets/FocusRing.h"

#include <QEvent>

namespace platform {

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setReadOnly(true);  // nothing reads the text back from the user
    setTabChangesFocus(true);
}

void TextBox::SetText(const QString& text) {
    text_ = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(shown);
}

// Read-only, the box shows no cursor: the focus ring on its frame says where
// the focus is.
bool TextBox::event(QEvent* event) {
    const bool handled = QPlainTextEdit::event(event);
    if (event->type() == QEvent::Paint)
        PaintFrameWithFocusRing(*this);
    return handled;
}

} // namespace platform
