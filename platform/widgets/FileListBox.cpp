#include "FileListBox.h"

#include "libs/files/FileSearch.h"
#include "platform/widgets/FocusRing.h"
#include "platform/widgets/Volumes.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QSignalBlocker>

#include <algorithm>

namespace platform {

namespace {

bool MatchesAny(const QStringList& patterns, const std::string& name) {
    return std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) {
        return files::WildcardMatch(p.trimmed().toStdString(), name);
    });
}

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    path_ = NormalFolderPath(QDir::currentPath());
    Fill();
    connect(this, &QListWidget::itemSelectionChanged, this, &FileListBox::OnSelectionChanged);
}

bool FileListBox::SetPath(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QString target = NormalFolderPath(folder);
    if (!CanListFolder(target))
        return false;
    path_ = target;
    Fill();
    return true;
}

void FileListBox::SetPattern(const QString& pattern) {
    pattern_ = pattern;
    Fill();
}

QString FileListBox::FileName() const {
    const int index = ListIndex();
    return index < 0 ? QString() : item(index)->text();
}

QString FileListBox::List(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

int FileListBox::ListIndex() const {
    const QList<QListWidgetItem*> chosen = selectedItems();
    return chosen.isEmpty() ? -1 : row(chosen.first());
}

bool FileListBox::Selected(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry && entry->isSelected();
}

bool FileListBox::SetSelected(int index, bool selected) {
    QListWidgetItem* entry = item(index);
    if (!entry)
        return false;
    if (!selected) {
        const QSignalBlocker block(this);
        entry->setSelected(false);
        lastClicked_ = ListIndex();
        viewport()->update();
        return true;
    }
    if (entry->isSelected())
        return true;
    {
        const QSignalBlocker block(this);
        setCurrentItem(entry);  // single selection: the others lose it
        entry->setSelected(true);
    }
    lastClicked_ = index;
    viewport()->update();
    emit Click();
    return true;
}

void FileListBox::Refresh() {
    Fill();
}

void FileListBox::Fill() {
    const QSignalBlocker block(this);
    clear();
    lastClicked_ = -1;
    const QStringList patterns = pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const files::FoundEntry& found : files::FindFiles(QFile::encodeName(path_).toStdString(), "*")) {
        if (found.isDirectory || found.name.empty() || found.name[0] == '.')
            continue;
        if (MatchesAny(patterns, found.name))
            addItem(QFile::decodeName(QByteArray::fromStdString(found.name)));
    }
}

void FileListBox::OnSelectionChanged() {
    // The user's selection: Click when an entry becomes the selected one.
    const int index = ListIndex();
    if (index < 0 || index == lastClicked_) {
        lastClicked_ = index;
        return;
    }
    lastClicked_ = index;
    emit Click();
}

// The frame is painted here, outside the viewport: the focus ring goes on it,
// so that an empty list shows the focus too.
bool FileListBox::event(QEvent* event) {
    const bool handled = QListWidget::event(event);
    if (event->type() == QEvent::Paint)
        PaintFrameWithFocusRing(*this);
    return handled;
}

} // namespace platform
