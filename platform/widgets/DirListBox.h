#pragma once
// A folder list: shows the folder `Path` under its ancestors (from the
// volume's root down) and above its subfolders. Opening an entry (double
// click or Enter) moves into that folder. Change is raised, synchronously,
// whenever `Path` changes, whether the user opened a folder or code set it.

#include <QListWidget>

namespace platform {

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    // Starts at the current folder, raising nothing.
    explicit DirListBox(QWidget* parent = nullptr);

    // The shown folder: absolute, no trailing separator except at the root.
    const QString& Path() const { return path_; }

    // Moves to a folder. False, with nothing changed, when it cannot be
    // listed (missing, not a folder, no permission).
    [[nodiscard]] bool SetPath(const QString& folder);

    // Moves to a drive (a volume, named as a drive list names it): the
    // current folder when it lies on that volume, else the folder last shown
    // there in this run, else the volume's root. False, with nothing changed,
    // when the volume's root cannot be listed.
    [[nodiscard]] bool SetDrive(const QString& drive);

    // Reads the subfolders again.
    void Refresh();

    // The folder an entry stands for.
    QString EntryPath(int row) const;

signals:
    void Change();

protected:
    bool event(QEvent* event) override;

private:
    void Fill();
    void OnActivated(QListWidgetItem* item);

    QString path_;
};

} // namespace platform
