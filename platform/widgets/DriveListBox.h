#pragma once
// A drop-down list of the machine's drives (mounted volumes). `Drive` reads
// as the shown volume's root path. Setting `Drive` takes the volume that
// holds the given path; Change is raised, synchronously, whenever the shown
// drive differs afterwards, whether the user picked it or code set it.

#include "platform/widgets/Volumes.h"

#include <QComboBox>

namespace platform {

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    // Starts on the volume of the current folder, raising nothing.
    explicit DriveListBox(QWidget* parent = nullptr);

    const QString& Drive() const { return drive_; }
    // False (and nothing changes) when no listed volume holds `drive`.
    [[nodiscard]] bool SetDrive(const QString& drive);

    // Reads the list of volumes again, keeping the shown drive.
    void Refresh();

signals:
    void Change();

protected:
    void showPopup() override;

private:
    void Fill(const std::vector<Volume>& volumes);
    void ShowDrive(const QString& root);
    void OnActivated(int index);

    std::vector<Volume> volumes_;
    QString drive_;
};

} // namespace platform
