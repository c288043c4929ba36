#include "MsgBox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {

constexpr int kIconBits = 0x70;

MsgBoxSink& Sink() {
    static MsgBoxSink sink;
    return sink;
}

QMessageBox::Icon IconFor(int style) {
    switch (style & kIconBits) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

void MsgBox(const QString& text, int style, const QString& title) {
    if (Sink()) {
        Sink()(text, style, title);
        return;
    }
    QMessageBox box(IconFor(style), title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

MsgBoxSink SetMsgBoxSink(MsgBoxSink sink) {
    MsgBoxSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

void ShowError(const QString& text) {
    MsgBox(text, kMsgBoxCritical, QStringLiteral("错误"));
}

void ShowNotice(const QString& text) {
    MsgBox(text, kMsgBoxInformation, QStringLiteral("提示"));
}

} // namespace platform
