#pragma once
// A modal message box with one OK button. `style` picks the icon: 16 stop,
// 32 question, 48 exclamation, 64 information (other bits are ignored).

#include <QString>
#include <functional>

namespace platform {

inline constexpr int kMsgBoxCritical = 16;
inline constexpr int kMsgBoxInformation = 64;

void MsgBox(const QString& text, int style, const QString& title);

// The window's two kinds of box: errors (title "错误", stop icon) and
// completion notices (title "提示", information icon).
void ShowError(const QString& text);
void ShowNotice(const QString& text);

// Where message boxes go. Tests install a recorder; an empty function
// brings back the real dialog. Returns the previous one.
using MsgBoxSink = std::function<void(const QString& text, int style, const QString& title)>;
MsgBoxSink SetMsgBoxSink(MsgBoxSink sink);

} // namespace platform
