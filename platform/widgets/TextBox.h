#pragma once
// A multi-line text box whose `Text` reads back exactly what was set
// (line ends included); long lines wrap at the box's width.

#include <QPlainTextEdit>

namespace platform {

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    const QString& Text() const { return text_; }
    void SetText(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    QString text_;
};

} // namespace platform
