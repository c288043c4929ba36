#include "PageFixture.h"

#include "platform/shell/MsgBox.h"
#include "platform/widgets/Volumes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

namespace fs = std::filesystem;

void PageTest::SetUp() {
    previousDir_ = QDir::currentPath();
    d = top / "D";
    e = top / "E";
    fs::create_directories(d / "start");
    fs::create_directories(e);
    driveD = Q(d);
    driveE = Q(e);
    driveGone = Q(top / "gone");  // never made: its root cannot be listed
    const std::vector<platform::Volume> volumes = {
        {QStringLiteral("/"), {}}, {driveD, {}}, {driveE, {}}, {driveGone, {}}};
    platform::SetVolumeSource([volumes] { return volumes; });
    ASSERT_TRUE(QDir::setCurrent(Q(d / "start")));
    platform::SetMsgBoxSink([this](const QString& text, int style, const QString& title) {
        messages.push_back({text, style, title});
    });
    form = std::make_unique<frmMain>();
    form->Form_Load();
}

void PageTest::TearDown() {
    form.reset();
    platform::SetMsgBoxSink({});
    platform::SetVolumeSource({});
    QDir::setCurrent(previousDir_);
}

void PageTest::PickDrive(platform::DriveListBox* list, const QString& root) {
    const int index = list->findData(root);
    ASSERT_GE(index, 0) << root.toStdString();
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void PageTest::OpenFolder(platform::DirListBox* list, const QString& folder) {
    auto open = [list](const QString& path) {
        for (int row = 0; row < list->count(); ++row) {
            if (list->EntryPath(row) == path) {
                emit list->itemActivated(list->item(row));
                return true;
            }
        }
        return false;
    };
    if (open(folder))
        return;
    // Not in sight: through its parent, as the user would go.
    const QString parent = QString::fromStdString(fs::path(folder.toStdString()).parent_path().string());
    ASSERT_NE(parent, folder) << "no way to " << folder.toStdString();
    OpenFolder(list, parent);
    ASSERT_TRUE(open(folder)) << "no entry for " << folder.toStdString();
}

bool PageTest::WaitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(60000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}
