#pragma once
// The window built as the program builds it, on drives of the test's own:
// the machine's root volume plus three volumes in a temporary folder, two
// readable (D and E) and one whose root cannot be listed. The program starts
// in D/start; message boxes are recorded instead of shown.

#include "app/frmMain.h"
#include "app/pictures/PicturePage.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

struct Message {
    QString text;
    int style = 0;
    QString title;
    bool operator==(const Message&) const = default;
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static QString Q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }
    // The user picks the volume with root `root` in a drive list.
    static void PickDrive(platform::DriveListBox* list, const QString& root);
    // The user opens a folder in a folder list, through its parents when it
    // is not in sight.
    static void OpenFolder(platform::DirListBox* list, const QString& folder);
    // Processes events until `done` holds; false when it still does not
    // after a generous while.
    static bool WaitUntil(const std::function<bool()>& done);

    PicturePage& page() { return *form->pictures; }
    QString LastDrive() { return form->State().LastDrive; }

    testsupport::TempDir top;
    QString driveD, driveE, driveGone;  // volume roots
    std::filesystem::path d, e;          // the same, as paths
    std::unique_ptr<frmMain> form;
    std::vector<Message> messages;

private:
    QString previousDir_;
};
