// The executable page's browser: the lists follow one another, the batch
// option sets the highlight, and the preview shows the first icon of the
// selected executable at (2, 2).

#include "PageFixture.h"

#include "platform/widgets/Volumes.h"

#include <QDir>

using namespace exetest;

namespace {

constexpr int kAt = 2;  // where the icon's top-left pixel lands

using Browser = PageTest;

TEST_F(Browser, StartUpSelectsAndPreviewsTheFirstExecutable) {
    EXPECT_EQ(page().filEXE->FileName(), QStringLiteral("A.exe"));
    const QImage shown = Preview();
    EXPECT_EQ(shown.pixel(kAt, kAt), kCorner);
    EXPECT_EQ(shown.pixel(kAt + 1, kAt), kRed);
    EXPECT_EQ(shown.pixel(kAt + 31, kAt + 31), kRed);
    for (QPoint outside : {QPoint(1, 1), QPoint(kAt - 1, 20), QPoint(kAt + 32, 20), QPoint(20, kAt + 32)})
        EXPECT_EQ(shown.pixel(outside), Background()) << outside.x() << "," << outside.y();
}

class PreviewFiles : public PageTest {
protected:
    std::map<std::string, Bytes> StartFiles() const override {
        return {{"a.exe", PeOfColour(kRed)},
                {"big.exe", PeWith({Solid32(48, kGreen)})},
                {"clear.exe", PeWith({Halves32(32, 32, 16, kBlue, kBlue)})},
                {"noicon.exe", PeWithoutIcons()},
                {"text.exe", TextFile()}};
    }
    int Index(const char* name) const {
        for (int i = 0; i < page().filEXE->ListCount(); ++i)
            if (page().filEXE->List(i) == QLatin1String(name))
                return i;
        return -1;
    }
};

// A larger icon is drawn at the standard size, not beyond it.
TEST_F(PreviewFiles, LargerIconIsDrawnAt32x32) {
    ClickEntry(Index("big.exe"));
    const QImage shown = Preview();
    EXPECT_EQ(shown.pixel(kAt, kAt), kGreen);
    EXPECT_EQ(shown.pixel(kAt + 31, kAt + 31), kGreen);
    EXPECT_EQ(shown.pixel(kAt + 32, kAt + 10), Background());
    EXPECT_EQ(shown.pixel(kAt + 10, kAt + 32), Background());
}

TEST_F(PreviewFiles, TransparentPartsShowTheBackground) {
    ClickEntry(Index("clear.exe"));
    const QImage shown = Preview();
    EXPECT_EQ(shown.pixel(kAt + 10, kAt + 5), Background());
    EXPECT_EQ(shown.pixel(kAt + 10, kAt + 20), kBlue);
}

// The box is cleared first, then nothing is drawn for a file without icons
// or one that is no program.
TEST_F(PreviewFiles, FileWithoutIconsLeavesTheBoxCleared) {
    for (const char* name : {"noicon.exe", "text.exe"}) {
        ClickEntry(Index("a.exe"));
        ASSERT_EQ(Preview().pixel(kAt + 5, kAt + 5), kRed);
        ClickEntry(Index(name));
        const QImage shown = Preview();
        EXPECT_EQ(shown.pixel(kAt + 5, kAt + 5), Background()) << name;
        EXPECT_EQ(shown.pixel(kAt, kAt), Background()) << name;
    }
}

TEST_F(PreviewFiles, BatchModeClickPreviewsWithoutHighlight) {
    page().chkEXE2ICOAll->SetValue(1);
    ClickEntry(Index("big.exe"));
    EXPECT_EQ(Preview().pixel(kAt + 5, kAt + 5), kGreen);
    EXPECT_EQ(page().filEXE->ListIndex(), -1);
    for (int i = 0; i < page().filEXE->ListCount(); ++i)
        EXPECT_FALSE(page().filEXE->Selected(i)) << i;
    EXPECT_TRUE(page().filEXE->FileName().isEmpty());
}

TEST_F(PreviewFiles, TickingRemovesTheHighlightAndKeepsThePreview) {
    ClickEntry(Index("big.exe"));
    const QImage before = Preview();
    page().chkEXE2ICOAll->SetValue(1);
    EXPECT_EQ(page().filEXE->ListIndex(), -1);
    EXPECT_EQ(Preview(), before);
}

TEST_F(PreviewFiles, UntickingSelectsAndPreviewsTheFirstEntry) {
    page().chkEXE2ICOAll->SetValue(1);
    ClickEntry(Index("big.exe"));
    ASSERT_EQ(Preview().pixel(kAt + 5, kAt + 5), kGreen);
    page().chkEXE2ICOAll->SetValue(0);
    EXPECT_EQ(page().filEXE->ListIndex(), 0);
    EXPECT_EQ(page().filEXE->FileName(), QStringLiteral("a.exe"));
    EXPECT_EQ(Preview().pixel(kAt + 5, kAt + 5), kRed);
}

// Every tab click reruns the preview: it redraws the selected entry, and
// clears the box while nothing is selected.
TEST_F(PreviewFiles, TabClicksRedrawOrClearThePreview) {
    ClickEntry(Index("big.exe"));
    page().picShowICO->Cls();
    form->lblTab_Click(1);
    EXPECT_EQ(Preview().pixel(kAt + 5, kAt + 5), kGreen);

    page().chkEXE2ICOAll->SetValue(1);
    for (int tab : {0, 2}) {
        ClickEntry(Index("big.exe"));
        ASSERT_EQ(Preview().pixel(kAt + 5, kAt + 5), kGreen);
        form->lblTab_Click(tab);
        EXPECT_EQ(Preview().pixel(kAt + 5, kAt + 5), Background()) << tab;
    }
}

class FolderFiles : public PageTest {
protected:
    std::map<std::string, Bytes> StartFiles() const override {
        return {{"A.exe", PeOfColour(kRed)}, {"sub/C.EXE", PeOfColour(kBlue)}, {"sub/d.Exe", PeOfColour(kBlue)},
                {"sub/.hidden.exe", PeOfColour(kBlue)}, {"sub/e.exe.txt", TextFile()},
                {"sub/dir.exe/x", TextFile()}, {"empty/readme.txt", TextFile()}};
    }
};

// The folder list moves the file list; the pattern ignores letter case and
// the list leaves out dot-files and folders. The preview and the option stay.
TEST_F(FolderFiles, FolderChangeMovesTheFileList) {
    const QImage before = Preview();
    ASSERT_EQ(before.pixel(kAt + 5, kAt + 5), kRed);
    page().chkEXE2ICOAll->SetValue(1);
    ASSERT_TRUE(page().dirEXE->SetPath(StartPath() + QStringLiteral("/sub")));
    EXPECT_EQ(page().filEXE->Path(), page().dirEXE->Path());
    EXPECT_EQ(Listed(), (std::vector<QString>{QStringLiteral("C.EXE"), QStringLiteral("d.Exe")}));
    EXPECT_EQ(page().filEXE->ListIndex(), -1);
    EXPECT_EQ(Preview(), before);
    EXPECT_EQ(page().chkEXE2ICOAll->Value(), 1);
}

TEST_F(FolderFiles, UntickingOverAnEmptyListSelectsNothing) {
    ASSERT_TRUE(page().dirEXE->SetPath(StartPath() + QStringLiteral("/empty")));
    page().chkEXE2ICOAll->SetValue(1);
    page().chkEXE2ICOAll->SetValue(0);
    EXPECT_EQ(page().filEXE->ListCount(), 0);
    EXPECT_EQ(page().filEXE->ListIndex(), -1);
}

// A drive that can be read is accepted and remembered; the folder list moves
// onto it and the file list follows.
TEST_F(FolderFiles, DriveChangeIsRememberedAsLastDrive) {
    form->State().LastDrive.clear();
    emit page().drvEXE->Change();
    EXPECT_EQ(form->State().LastDrive, page().drvEXE->Drive());
    EXPECT_EQ(page().dirEXE->Path(), StartPath());
    EXPECT_EQ(page().filEXE->Path(), StartPath());
}

// A machine with a second drive that cannot be read (no medium).
class UnreadableDrive : public PageTest {
protected:
    static constexpr char kEmptyDrive[] = "/trevalo-test-no-medium";
    void SetUp() override {
        previousSource_ = platform::SetVolumeSource([] {
            return std::vector<platform::Volume>{{QStringLiteral("/"), {}}, {QString::fromLatin1(kEmptyDrive), {}}};
        });
        PageTest::SetUp();
    }
    void TearDown() override {
        PageTest::TearDown();
        platform::SetVolumeSource(previousSource_);
    }

private:
    platform::VolumeSource previousSource_;
};

// The drive list silently goes back to the last drive; the folder and file
// lists never leave the start folder.
TEST_F(UnreadableDrive, DriveChangeRollsBackToTheLastDrive) {
    ASSERT_EQ(page().drvEXE->Drive(), QStringLiteral("/"));
    ASSERT_TRUE(page().drvEXE->SetDrive(QString::fromLatin1(kEmptyDrive)));
    EXPECT_EQ(page().drvEXE->Drive(), QStringLiteral("/"));
    EXPECT_EQ(form->State().LastDrive, QStringLiteral("/"));
    EXPECT_EQ(page().dirEXE->Path(), StartPath());
    EXPECT_EQ(page().filEXE->Path(), StartPath());
    EXPECT_EQ(page().filEXE->FileName(), QStringLiteral("A.exe"));
    EXPECT_TRUE(messages.empty());
}

} // namespace
