#pragma once
// A file list: the files of the folder `Path` whose names match `Pattern`
// (letter case ignored; several patterns separated by ';'), in the order of
// their names, hidden (dot) files left out. Single selection. Click is
// raised, synchronously, whenever an entry becomes the selected one, by the
// user or by code writing `Selected`.

#include <QListWidget>

namespace platform {

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    // Lists the current folder with pattern "*.*", raising nothing.
    explicit FileListBox(QWidget* parent = nullptr);

    const QString& Path() const { return path_; }
    // Lists another folder; no entry is selected afterwards. False, with
    // nothing changed, when the folder cannot be listed.
    [[nodiscard]] bool SetPath(const QString& folder);

    const QString& Pattern() const { return pattern_; }
    void SetPattern(const QString& pattern);

    // Name of the selected entry; empty when none is selected.
    QString FileName() const;
    int ListCount() const { return count(); }
    QString List(int index) const;
    // Index of the selected entry, -1 when none is.
    int ListIndex() const;

    bool Selected(int index) const;
    // Selecting an entry makes it the selected one and raises Click;
    // deselecting raises nothing. False when `index` is out of range.
    [[nodiscard]] bool SetSelected(int index, bool selected);

    // Reads the folder again; the selection is dropped.
    void Refresh();

signals:
    void Click();

protected:
    bool event(QEvent* event) override;

private:
    void Fill();
    void OnSelectionChanged();

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    int lastClicked_ = -1;
};

} // namespace platform
