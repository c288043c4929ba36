// Drive, folder and file lists: their properties, the events they raise
// (synchronously, also when code sets a property) and their failures.

#include "platform/widgets/DirListBox.h"
#include "platform/widgets/DriveListBox.h"
#include "platform/widgets/FileListBox.h"
#include "platform/widgets/Volumes.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using platform::DirListBox;
using platform::DriveListBox;
using platform::FileListBox;

namespace {

QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }

// A start folder of known content, made the current folder for the test.
class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = QDir::currentPath();
        fs::create_directories(dir_ / "Beta");
        fs::create_directories(dir_ / "alpha" / "inner");
        fs::create_directories(dir_ / ".hidden");
        fs::create_directories(dir_ / "folder.exe");
        for (const char* name : {"Z.exe", "a.EXE", "b.exe", "c.exe.bak", ".h.exe", "notes.txt", "p.PNG", "q.bmp"})
            testsupport::WriteText(dir_ / name, "x");
        ASSERT_TRUE(QDir::setCurrent(Q(dir_.path())));
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    QString Path(const std::string& name = {}) const {
        return QDir::cleanPath(Q(name.empty() ? dir_.path() : dir_ / name));
    }

    testsupport::TempDir dir_;
    QString previous_;
};

std::vector<QString> Entries(const QListWidget& list) {
    std::vector<QString> names;
    for (int i = 0; i < list.count(); ++i)
        names.push_back(list.item(i)->text());
    return names;
}

} // namespace

TEST(Volumes, VolumeOfAPathIsTheLongestRootHoldingIt) {
    const std::vector<platform::Volume> volumes = {{"/", ""}, {"/mnt/usb", "USB"}, {"/mnt/usb/deep", ""}};
    struct Case {
        const char* path;
        const char* root;
    };
    for (const Case& c : {Case{"/mnt/usb/x", "/mnt/usb"}, Case{"/mnt/usb", "/mnt/usb"}, Case{"/mnt/usbx", "/"},
                          Case{"/mnt/usb/deep/a/b", "/mnt/usb/deep"}, Case{"/", "/"}, Case{"/mnt/usb/../x", "/"}})
        EXPECT_EQ(platform::VolumeRootOf(QString::fromLatin1(c.path), volumes), QString::fromLatin1(c.root)) << c.path;
    EXPECT_EQ(platform::VolumeRootOf(QStringLiteral("/x"), {{"/mnt/usb", ""}}), QString());
}

TEST(Volumes, RootIsAlwaysListedAndPseudoFileSystemsAreNot) {
    const std::vector<platform::Volume> volumes = platform::MountedVolumes();
    bool haveRoot = false;
    for (const platform::Volume& v : volumes) {
        haveRoot |= v.root == QStringLiteral("/");
        EXPECT_FALSE(v.root.startsWith(QStringLiteral("/proc")) || v.root.startsWith(QStringLiteral("/sys")))
            << v.root.toStdString();
    }
    EXPECT_TRUE(haveRoot);
}

TEST(Volumes, NormalFolderPathDropsTrailingSeparatorsExceptAtTheRoot) {
    EXPECT_EQ(platform::NormalFolderPath(QStringLiteral("/usr/")), QStringLiteral("/usr"));
    EXPECT_EQ(platform::NormalFolderPath(QStringLiteral("/usr//lib/../")), QStringLiteral("/usr"));
    EXPECT_EQ(platform::NormalFolderPath(QStringLiteral("/")), QStringLiteral("/"));
}

TEST_F(ListTest, FolderListStartsAtTheCurrentFolderWithAncestorsAndVisibleSubfolders) {
    DirListBox dir;
    EXPECT_EQ(dir.Path(), Path());
    const std::vector<QString> names = Entries(dir);
    const int depth = static_cast<int>(Path().count(QLatin1Char('/')));  // ancestors below "/"
    ASSERT_EQ(static_cast<int>(names.size()), depth + 1 + 3);
    EXPECT_EQ(names.front(), QStringLiteral("/"));
    EXPECT_EQ(names[static_cast<size_t>(depth)], QDir(Path()).dirName());
    // Subfolders in byte order of their names; dot-folders are hidden.
    EXPECT_EQ(std::vector<QString>(names.end() - 3, names.end()),
              (std::vector<QString>{"Beta", "alpha", "folder.exe"}));
    EXPECT_EQ(dir.currentRow(), depth);  // the shown folder is highlighted
    EXPECT_EQ(dir.EntryPath(depth + 2), Path("alpha"));
}

TEST_F(ListTest, SettingAFolderRaisesChangeBeforeReturningAndOnlyOnAChange) {
    DirListBox dir;
    int changes = 0;
    QString seen;
    QObject::connect(&dir, &DirListBox::Change, [&] {
        ++changes;
        seen = dir.Path();
    });
    ASSERT_TRUE(dir.SetPath(Path("alpha") + QStringLiteral("/")));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen, Path("alpha"));  // no trailing separator
    ASSERT_TRUE(dir.SetPath(Path("alpha")));
    EXPECT_EQ(changes, 1);  // the same folder again: no Change
    ASSERT_TRUE(dir.SetPath(QStringLiteral("/")));
    EXPECT_EQ(dir.Path(), QStringLiteral("/"));
    EXPECT_EQ(changes, 2);
}

TEST_F(ListTest, SettingAFolderThatCannotBeListedFailsAndChangesNothing) {
    DirListBox dir;
    int changes = 0;
    QObject::connect(&dir, &DirListBox::Change, [&] { ++changes; });
    for (const QString& bad : {Path("missing"), Path("notes.txt"), QString()}) {
        EXPECT_FALSE(dir.SetPath(bad)) << bad.toStdString();
        EXPECT_EQ(dir.Path(), Path());
    }
    EXPECT_FALSE(dir.SetDrive(QString()));
    EXPECT_EQ(changes, 0);
}

TEST_F(ListTest, OpeningAnEntryMovesIntoThatFolder) {
    DirListBox dir;
    dir.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dir));
    int changes = 0;
    QObject::connect(&dir, &DirListBox::Change, [&] { ++changes; });
    const int alpha = dir.count() - 2;
    const QRect place = dir.visualItemRect(dir.item(alpha));
    QTest::mouseClick(dir.viewport(), Qt::LeftButton, {}, place.center());  // a double click starts with a click
    EXPECT_EQ(changes, 0);
    QTest::mouseDClick(dir.viewport(), Qt::LeftButton, {}, place.center());
    EXPECT_EQ(dir.Path(), Path("alpha"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dir.item(dir.count() - 1)->text(), QStringLiteral("inner"));
    // Up again through an ancestor entry, by keyboard.
    dir.setCurrentRow(dir.count() - 3);
    QTest::keyClick(&dir, Qt::Key_Return);
    EXPECT_EQ(dir.Path(), Path());
    EXPECT_EQ(changes, 2);
}

TEST_F(ListTest, FolderListGivenADriveShowsTheCurrentFolderOfThatVolume) {
    DirListBox dir;
    ASSERT_TRUE(dir.SetPath(QStringLiteral("/")));
    ASSERT_TRUE(dir.SetDrive(platform::VolumeRootOf(Path(), platform::MountedVolumes())));
    EXPECT_EQ(dir.Path(), Path());
}

TEST_F(ListTest, ChangeHandlersNestInsideTheSettingCall) {
    DirListBox source;
    DirListBox target;
    std::vector<std::string> trace;
    QObject::connect(&source, &DirListBox::Change, [&] {
        trace.push_back("source changed");
        (void)target.SetPath(source.Path());
        trace.push_back("source handler done");
    });
    QObject::connect(&target, &DirListBox::Change, [&] { trace.push_back("target changed"); });
    trace.push_back("set");
    ASSERT_TRUE(source.SetPath(Path("Beta")));
    trace.push_back("returned");
    EXPECT_EQ(trace, (std::vector<std::string>{"set", "source changed", "target changed", "source handler done",
                                               "returned"}));
    EXPECT_EQ(target.Path(), Path("Beta"));
}

TEST_F(ListTest, DriveListShowsTheVolumeOfTheCurrentFolder) {
    DriveListBox drive;
    const QString root = platform::VolumeRootOf(Path(), platform::MountedVolumes());
    EXPECT_EQ(drive.Drive(), root);
    int changes = 0;
    QObject::connect(&drive, &DriveListBox::Change, [&] { ++changes; });
    // Any path on the same volume names the same drive: no Change.
    EXPECT_TRUE(drive.SetDrive(Path("alpha") + QStringLiteral("/")));
    EXPECT_EQ(drive.Drive(), root);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(drive.SetDrive(QString()));
}

TEST_F(ListTest, FileListMatchesItsPatternIgnoringCaseAndHidesDotFilesAndFolders) {
    FileListBox files;
    EXPECT_EQ(files.Path(), Path());
    EXPECT_EQ(Entries(files), (std::vector<QString>{"Z.exe", "a.EXE", "b.exe", "c.exe.bak", "notes.txt", "p.PNG",
                                                    "q.bmp"}));
    files.SetPattern(QStringLiteral("*.exe"));
    EXPECT_EQ(Entries(files), (std::vector<QString>{"Z.exe", "a.EXE", "b.exe"}));
    EXPECT_EQ(files.ListCount(), 3);
    files.SetPattern(QStringLiteral("*.png; *.BMP"));
    EXPECT_EQ(Entries(files), (std::vector<QString>{"p.PNG", "q.bmp"}));
}

TEST_F(ListTest, FileListSelectionByCodeRaisesClickOnlyWhenAnEntryBecomesSelected) {
    FileListBox files;
    files.SetPattern(QStringLiteral("*.exe"));
    std::vector<QString> clicks;
    QObject::connect(&files, &FileListBox::Click, [&] { clicks.push_back(files.FileName()); });
    EXPECT_EQ(files.FileName(), QString());
    EXPECT_EQ(files.ListIndex(), -1);

    ASSERT_TRUE(files.SetSelected(1, true));
    EXPECT_EQ(clicks, std::vector<QString>{"a.EXE"});  // raised before SetSelected returned
    EXPECT_TRUE(files.Selected(1));
    ASSERT_TRUE(files.SetSelected(1, true));            // already selected
    ASSERT_TRUE(files.SetSelected(2, true));            // single selection
    EXPECT_FALSE(files.Selected(1));
    ASSERT_TRUE(files.SetSelected(2, false));           // deselecting raises nothing
    EXPECT_EQ(files.FileName(), QString());
    EXPECT_EQ(clicks, (std::vector<QString>{"a.EXE", "b.exe"}));
    EXPECT_FALSE(files.SetSelected(3, true));
    EXPECT_FALSE(files.SetSelected(-1, true));
}

TEST_F(ListTest, FileListClickHandlerMayDeselectEverything) {
    FileListBox files;
    files.SetPattern(QStringLiteral("*.exe"));
    int clicks = 0;
    QObject::connect(&files, &FileListBox::Click, [&] {
        ++clicks;
        for (int i = 0; i < files.ListCount(); ++i)
            (void)files.SetSelected(i, false);
    });
    ASSERT_TRUE(files.SetSelected(0, true));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(files.ListIndex(), -1);
}

TEST_F(ListTest, FileListUserClickRaisesClickAndNewPathDropsTheSelection) {
    FileListBox files;
    files.SetPattern(QStringLiteral("*.exe"));
    files.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&files));
    int clicks = 0;
    QObject::connect(&files, &FileListBox::Click, [&] { ++clicks; });
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, files.visualItemRect(files.item(2)).center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(files.FileName(), QStringLiteral("b.exe"));

    testsupport::WriteText(dir_ / "alpha" / "x.exe", "x");
    ASSERT_TRUE(files.SetPath(Path("alpha")));
    EXPECT_EQ(Entries(files), std::vector<QString>{"x.exe"});
    EXPECT_EQ(files.ListIndex(), -1);
    EXPECT_FALSE(files.SetPath(Path("missing")));
    EXPECT_EQ(files.Path(), Path("alpha"));
    EXPECT_EQ(clicks, 1);
}
