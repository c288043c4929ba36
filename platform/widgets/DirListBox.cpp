#include "DirListBox.h"

#include "libs/files/FileSearch.h"
#include "platform/widgets/FocusRing.h"
#include "platform/widgets/Volumes.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHash>
#include <QStyle>
#include <QStyledItemDelegate>

namespace platform {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

// Indents each entry by its depth in the folder tree.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + index.data(kDepthRole).toInt() * kIndentPixels);
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += index.data(kDepthRole).toInt() * kIndentPixels;
        return size;
    }
};

// The folder last shown on each volume in this run, by any folder list.
QHash<QString, QString>& LastFolderOnVolume() {
    static QHash<QString, QString> folders;
    return folders;
}

// The folders from the root down to `folder`, both included.
QStringList Ancestry(const QString& folder) {
    QStringList chain;
    QDir dir(folder);
    chain.prepend(NormalFolderPath(dir.absolutePath()));
    while (dir.cdUp())
        chain.prepend(NormalFolderPath(dir.absolutePath()));
    return chain;
}

QString EntryName(const QString& folder) {
    const QString name = QDir(folder).dirName();
    return (name.isEmpty() || QDir(folder).isRoot()) ? folder : name;
}

} // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    path_ = NormalFolderPath(QDir::currentPath());
    LastFolderOnVolume().insert(VolumeRootOf(path_, MountedVolumes()), path_);
    Fill();
    connect(this, &QListWidget::itemActivated, this, &DirListBox::OnActivated);
}

bool DirListBox::SetPath(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QString target = NormalFolderPath(folder);
    if (!CanListFolder(target))
        return false;
    LastFolderOnVolume().insert(VolumeRootOf(target, MountedVolumes()), target);
    if (target == path_)
        return true;
    path_ = target;
    Fill();
    emit Change();
    return true;
}

bool DirListBox::SetDrive(const QString& drive) {
    if (drive.isEmpty())
        return false;
    const std::vector<Volume> volumes = MountedVolumes();
    const QString root = VolumeRootOf(drive, volumes);
    if (root.isEmpty() || !CanListFolder(root))
        return false;
    QString target = root;
    const QString current = NormalFolderPath(QDir::currentPath());
    const QString remembered = LastFolderOnVolume().value(root);
    if (VolumeRootOf(current, volumes) == root && CanListFolder(current))
        target = current;
    else if (!remembered.isEmpty() && CanListFolder(remembered))
        target = remembered;
    return SetPath(target);
}

void DirListBox::Refresh() {
    Fill();
}

QString DirListBox::EntryPath(int row) const {
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(kPathRole).toString() : QString();
}

void DirListBox::Fill() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = Ancestry(path_);
    int depth = 0;
    for (const QString& folder : chain) {
        auto* entry = new QListWidgetItem(open, EntryName(folder), this);
        entry->setData(kPathRole, folder);
        entry->setData(kDepthRole, depth++);
    }
    setCurrentRow(count() - 1);
    const std::string here = QFile::encodeName(path_).toStdString();
    for (const files::FoundEntry& found : files::FindFiles(here, "*")) {
        if (!found.isDirectory || found.name.empty() || found.name[0] == '.')
            continue;  // dot-folders are hidden ones
        const QString name = QFile::decodeName(QByteArray::fromStdString(found.name));
        auto* entry = new QListWidgetItem(closed, name, this);
        entry->setData(kPathRole, QFile::decodeName(QByteArray::fromStdString(files::JoinPath(here, found.name))));
        entry->setData(kDepthRole, depth);
    }
}

void DirListBox::OnActivated(QListWidgetItem* item) {
    if (!item)
        return;
    // A folder that went away since the list was filled is simply not opened.
    (void)SetPath(item->data(kPathRole).toString());
}

// The frame is painted here, outside the viewport: the focus ring goes on it.
bool DirListBox::event(QEvent* event) {
    const bool handled = QListWidget::event(event);
    if (event->type() == QEvent::Paint)
        PaintFrameWithFocusRing(*this);
    return handled;
}

} // namespace platform
