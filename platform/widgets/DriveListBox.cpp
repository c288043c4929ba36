#include "DriveListBox.h"

#include <QDir>
#include <QSignalBlocker>

namespace platform {

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    volumes_ = MountedVolumes();
    Fill(volumes_);
    ShowDrive(VolumeRootOf(QDir::currentPath(), volumes_));
    connect(this, &QComboBox::activated, this, &DriveListBox::OnActivated);
}

bool DriveListBox::SetDrive(const QString& drive) {
    if (drive.isEmpty())
        return false;
    QString root = VolumeRootOf(drive, volumes_);
    if (root.isEmpty()) {  // a volume mounted since the list was filled
        Refresh();
        root = VolumeRootOf(drive, volumes_);
        if (root.isEmpty())
            return false;
    }
    const bool changed = root != drive_;
    ShowDrive(root);
    if (changed)
        emit Change();
    return true;
}

void DriveListBox::Refresh() {
    volumes_ = MountedVolumes();
    Fill(volumes_);
    ShowDrive(drive_);
}

void DriveListBox::showPopup() {
    Refresh();
    QComboBox::showPopup();
}

void DriveListBox::Fill(const std::vector<Volume>& volumes) {
    const QSignalBlocker block(this);
    clear();
    for (const Volume& v : volumes) {
        const QString text = v.label.isEmpty() ? v.root : QStringLiteral("%1 [%2]").arg(v.root, v.label);
        addItem(text, v.root);
    }
}

void DriveListBox::ShowDrive(const QString& root) {
    int index = findData(root);
    if (index < 0) {  // the shown volume went away: keep naming it
        const QSignalBlocker block(this);
        addItem(root, root);
        index = count() - 1;
    }
    drive_ = root;
    const QSignalBlocker block(this);
    setCurrentIndex(index);
}

void DriveListBox::OnActivated(int index) {
    const QString root = itemData(index).toString();
    if (root == drive_)
        return;
    drive_ = root;
    emit Change();
}

} // namespace platform
