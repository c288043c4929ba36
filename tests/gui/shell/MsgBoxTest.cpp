// The real message box, not the recorder the window's tests use: its button
// speaks Chinese once Qt's own texts are loaded, whatever the locale.

#include "platform/shell/MsgBox.h"
#include "platform/shell/StandardTexts.h"

#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct SeenBox {
    QString title, text, button;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Shows a box through the real dialog and reads it while it waits for the
// user, then presses its button as the user would.
SeenBox ShowAndRead(int style) {
    SeenBox seen;
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->button(QMessageBox::Ok)) {
            seen = {box->windowTitle(), box->text(), box->button(QMessageBox::Ok)->text(), box->icon()};
            box->button(QMessageBox::Ok)->click();
        } else if (modal && ++ticks > 500) {
            modal->close();  // not the box expected: do not wait for ever
        }
    });
    timer.start();
    platform::MsgBox(QStringLiteral("该文件夹中没有.PNG文件，请重选择文件夹。"), style, QStringLiteral("错误"));
    return seen;
}

} // namespace

TEST(MsgBox, TheRealBoxSaysOkInChineseWhateverTheLocale) {
    platform::SetMsgBoxSink({});
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    const SeenBox before = ShowAndRead(platform::kMsgBoxCritical);
    EXPECT_EQ(before.button, QStringLiteral("OK"));  // Qt's own default

    ASSERT_TRUE(platform::LoadStandardTexts());
    EXPECT_TRUE(platform::LoadStandardTexts());  // once is enough, twice harmless
    const SeenBox after = ShowAndRead(platform::kMsgBoxCritical);
    EXPECT_EQ(after.button, QStringLiteral("确定"));
    EXPECT_EQ(after.title, QStringLiteral("错误"));
    EXPECT_EQ(after.text, QStringLiteral("该文件夹中没有.PNG文件，请重选择文件夹。"));
    EXPECT_EQ(after.icon, QMessageBox::Critical);
    EXPECT_EQ(ShowAndRead(platform::kMsgBoxInformation).icon, QMessageBox::Information);
}
