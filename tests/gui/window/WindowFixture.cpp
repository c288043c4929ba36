#include "WindowFixture.h"

#include "platform/shell/MsgBox.h"
#include "platform/shell/OpenUrl.h"

#include <QDir>
#include <QTest>
#include <QWindow>

void WindowTest::SetUp() {
    previousDir_ = QDir::currentPath();
    for (const std::string& name : StartFiles())
        testsupport::WriteText(startDir / name, "MZ");
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(startDir.path().string())));
    platform::SetOpenUrlSink([this](const QString& address) { openedUrls.push_back(address); });
    platform::SetMsgBoxSink([this](const QString& text, int, const QString&) { messages.push_back(text); });
    form = std::make_unique<frmMain>();
    form->Form_Load();
}

void WindowTest::TearDown() {
    form.reset();
    platform::SetOpenUrlSink({});
    platform::SetMsgBoxSink({});
    QDir::setCurrent(previousDir_);
}

void WindowTest::Show() {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
}

void WindowTest::MoveTo(QPoint pos) {
    QTest::mouseMove(form->windowHandle(), pos);
}

QPoint WindowTest::At(const QWidget* control, QPoint local) const {
    return control->mapTo(form.get(), local);
}
