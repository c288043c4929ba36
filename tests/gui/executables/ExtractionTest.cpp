// Saving executables' icons beside them: the single-file run and the batch
// run, the icon files they write, read back by Qt's ICO reader and icotool.

#include "PageFixture.h"

#include "app/executables/IconExtraction.h"
#include "app/executables/modGetICO.h"
#include "platform/artwork/Artwork.h"
#include "samples/exewriter/NeWriter.h"
#include "samples/exewriter/PngWriter.h"

#include <QDir>
#include <QDirIterator>

#include <set>

using namespace exetest;
namespace fs = std::filesystem;

namespace {

// The user sees these exact texts; they are spelled out here, not taken
// from the page, so that a changed text shows.
const QString kNotice = QStringLiteral("提示");
const QString kError = QStringLiteral("错误");
const QString kIdle = QStringLiteral("开始提取");
const QString kBusy = QStringLiteral("提取中...");
const QString kDone = QStringLiteral("EXE→ICO 提取完成！");
const QString kNoExecutables = QStringLiteral("该文件夹中没有.EXE文件，请重选择文件夹。");
const QString kNothingSelected = QStringLiteral("请先选择一个.EXE文件。");

Bytes Le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

// A one-image icon file around stored image bytes, as the icon file layout has it.
Bytes OneImageIco(const Bytes& dib, uint8_t colourCount, uint16_t bitCount) {
    Bytes ico{0, 0, 1, 0, 1, 0, 32, 32, colourCount, 0, 1, 0, static_cast<uint8_t>(bitCount), 0};
    for (uint32_t v : {static_cast<uint32_t>(dib.size()), 22u}) {
        const Bytes le = Le32(v);
        ico.insert(ico.end(), le.begin(), le.end());
    }
    ico.insert(ico.end(), dib.begin(), dib.end());
    return ico;
}

QImage GenericArtwork() {
    return QImage(QString::fromLatin1(artwork::kExecutableIcon32)).convertToFormat(QImage::Format_ARGB32);
}

// Visible pixels match exactly, transparent ones stay transparent.
::testing::AssertionResult SamePicture(const QImage& expected, const QImage& actual) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = expected.pixel(x, y), a = actual.pixel(x, y);
            if (qAlpha(e) == 0 ? qAlpha(a) != 0 : e != a)
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << ": " << std::hex << e << " vs " << a;
        }
    return ::testing::AssertionSuccess();
}

std::set<std::string> FilesBelow(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        names.insert(fs::relative(entry.path(), dir).string());
    return names;
}

const Bytes& Setup4Bit() {
    static const Bytes dib = pewriter::MakeSolidDib(32, 32, 4, 0x00FF00);
    return dib;
}

const Bytes& App32() {
    static const Bytes dib = Marked32(32, kRed);
    return dib;
}

class Extraction : public PageTest {
protected:
    std::map<std::string, Bytes> StartFiles() const override {
        return {{"SETUP.EXE", PeWith({Solid32(16, kBlue), Setup4Bit()})},
                {"app.exe", PeWith({App32(), Solid32(48, kBlue)})},
                {".hidden.exe", PeOfColour(kBlue)},
                {"noicon.exe", PeWithoutIcons()},
                {"text.exe", TextFile()},
                {"dir.exe/inside.txt", TextFile()},
                {"readme.txt", TextFile()},
                {"sub/c.exe", PeOfColour(kGreen)},
                {"empty/readme.txt", TextFile()},
                {"hidden/.a.exe", PeOfColour(kRed)},
                {"hidden/.b.exe", PeOfColour(kGreen)}};
    }
    void Select(const char* name) {
        for (int i = 0; i < page().filEXE->ListCount(); ++i)
            if (page().filEXE->List(i) == QString::fromUtf8(name))
                ClickEntry(i);
        ASSERT_EQ(page().filEXE->FileName(), QString::fromUtf8(name));
    }
    void Run() { page().cmdEXE2ICO->click(); }
    void ExpectDoneOnce() {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, kDone);
        EXPECT_EQ(messages[0].style, 64);
        EXPECT_EQ(messages[0].title, kNotice);
        // The caption is back before the message opens.
        EXPECT_EQ(messages[0].caption, kIdle);
        EXPECT_EQ(page().cmdEXE2ICO->text(), kIdle);
        EXPECT_TRUE(form->isEnabled());
    }
};

TEST_F(Extraction, SingleFileRunWritesTheIconBesideTheExecutable) {
    Select("app.exe");
    Run();
    ExpectDoneOnce();
    EXPECT_TRUE(enabledChanges.empty());
    const Bytes written = testsupport::ReadBytes(startDir / "app.ico");
    EXPECT_TRUE(testsupport::BytesEqual(OneImageIco(App32(), 0, 32), written, "single-app.ico"));
    EXPECT_EQ(form->State().ImageList.Count(), 0);

    const QImage read = ReadWithQt(startDir / "app.ico");
    ASSERT_EQ(read.size(), QSize(32, 32));
    EXPECT_EQ(read.pixel(0, 0), kCorner);
    EXPECT_EQ(read.pixel(20, 20), kRed);
}

// A 4-bit 32 x 32 image is written as it is stored, and the name keeps the
// executable's letter case up to the new extension.
TEST_F(Extraction, StoredDibIsWrittenUnchangedAndReplacesAnOldFile) {
    testsupport::WriteText(startDir / "SETUP.ico", "an old icon file");
    Select("SETUP.EXE");
    Run();
    ExpectDoneOnce();
    const Bytes written = testsupport::ReadBytes(startDir / "SETUP.ico");
    EXPECT_TRUE(testsupport::BytesEqual(OneImageIco(Setup4Bit(), 16, 4), written, "single-setup.ico"));
    EXPECT_EQ(ReadWithQt(startDir / "SETUP.ico").pixel(16, 16), 0xFF00FF00u);
    if (testsupport::HaveProgram("icotool")) {
        EXPECT_NE(ListWithIcotool(startDir / "SETUP.ico").find("--width=32 --height=32 --bit-depth=4"),
                  std::string::npos);
    }
}

struct SavedCase {
    const char* label;
    const char* file;   // UTF-8
    Bytes (*make)();
    const char* icon;
    uint32_t centre;    // 0: the generic executable icon
};

void PrintTo(const SavedCase& c, std::ostream* os) { *os << c.label; }

class SavedKinds : public PageTest, public ::testing::WithParamInterface<SavedCase> {
protected:
    std::map<std::string, Bytes> StartFiles() const override { return {{GetParam().file, GetParam().make()}}; }
};

// Every kind of executable gets a one-image 32 x 32 icon file that
// independent readers accept.
TEST_P(SavedKinds, GiveAOneImageIconReadersAccept) {
    const SavedCase& c = GetParam();
    ASSERT_EQ(page().filEXE->FileName(), QString::fromUtf8(c.file));
    page().cmdEXE2ICO->click();
    const fs::path icon = Native(StartPath() + QLatin1Char('/') + QString::fromUtf8(c.icon));
    ASSERT_TRUE(fs::is_regular_file(icon)) << c.icon;

    const IcoFile ico = ParseIco(testsupport::ReadBytes(icon));
    EXPECT_EQ(ico.reserved, 0);
    EXPECT_EQ(ico.type, 1);
    EXPECT_EQ(ico.count, 1);
    EXPECT_EQ(ico.width, 32);
    EXPECT_EQ(ico.height, 32);
    EXPECT_EQ(ico.offset, 22u);
    EXPECT_EQ(ico.imageData.size(), ico.bytesInRes);

    const QImage read = ReadWithQt(icon);
    ASSERT_EQ(read.size(), QSize(32, 32));
    if (c.centre != 0) {
        EXPECT_EQ(read.pixel(16, 16), c.centre);
    } else {
        EXPECT_EQ(ico.bitCount, 32);
        EXPECT_TRUE(SamePicture(GenericArtwork(), read));
    }
    if (testsupport::HaveProgram("icotool")) {
        const std::string listed = ListWithIcotool(icon);
        EXPECT_NE(listed.find("--icon --index=1 --width=32 --height=32"), std::string::npos) << listed;
        EXPECT_EQ(listed.find("--index=2"), std::string::npos) << listed;
    }
}

Bytes NeProgram() {
    std::vector<pewriter::Resource> r;
    pewriter::AddIconGroup(&r, pewriter::ResId::Number(1), {{1, pewriter::MakeSolidDib(32, 32, 8, 0x2040E0)}});
    return pewriter::BuildNe(r).bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, SavedKinds,
    ::testing::Values(
        SavedCase{"Scaled48", "big.exe", [] { return PeWith({Solid32(48, kGreen)}); }, "big.ico", kGreen},
        SavedCase{"Png256Only", "png.exe",
                  [] { return PeWith({pewriter::MakePng(256, 256, std::vector<uint32_t>(256 * 256, kBlue))}); },
                  "png.ico", kBlue},
        SavedCase{"Pe32Plus", "wide.exe", [] { return PeWith({Solid32(32, kRed)}, pewriter::PeKind::kPe32Plus); },
                  "wide.ico", kRed},
        SavedCase{"SixteenBit", "old.exe", &NeProgram, "old.ico", kBlue},
        SavedCase{"BlanksAndNonAscii", "my app 程序.exe", [] { return PeOfColour(kGreen); }, "my app 程序.ico", kGreen},
        SavedCase{"NoIcons", "noicon.exe", &PeWithoutIcons, "noicon.ico", 0},
        SavedCase{"Text", "readme.exe", &TextFile, "readme.ico", 0},
        SavedCase{"LoopingDirectory", "loop.exe", &LoopingPe, "loop.ico", 0}),
    [](const auto& p) { return std::string(p.param.label); });

// After a change of folder nothing is selected: the run writes nothing (no
// icon named after the folder beside it) and says why.
TEST_F(Extraction, SingleFileRunWithoutSelectionWritesNothing) {
    ASSERT_TRUE(page().dirEXE->SetPath(StartPath() + QStringLiteral("/sub")));
    ASSERT_TRUE(page().filEXE->FileName().isEmpty());
    const auto before = FilesBelow(startDir.path());
    Run();
    EXPECT_EQ(FilesBelow(startDir.path()), before);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kNothingSelected);
    EXPECT_EQ(messages[0].title, kError);
    EXPECT_EQ(messages[0].caption, kIdle);
    EXPECT_EQ(page().cmdEXE2ICO->text(), kIdle);
}

// Every matching entry, shown or not; a folder named like an executable gets
// nothing; files without icons get the generic one.
TEST_F(Extraction, BatchRunSavesEveryExecutableOfTheFolder) {
    page().chkEXE2ICOAll->SetValue(1);
    Run();
    ExpectDoneOnce();
    // Disabled before the busy caption is set, enabled again before it goes.
    EXPECT_EQ(enabledChanges, (std::vector<bool>{false, true}));
    EXPECT_EQ(captionsAtEnabledChange, (std::vector<QString>{kIdle, kBusy}));
    for (const char* icon : {"SETUP.ico", "app.ico", ".hidden.ico", "noicon.ico", "text.ico"})
        EXPECT_TRUE(fs::is_regular_file(startDir / icon)) << icon;
    EXPECT_FALSE(fs::exists(startDir / "dir.ico"));
    EXPECT_FALSE(fs::exists(startDir / "readme.ico"));
    EXPECT_TRUE(testsupport::BytesEqual(OneImageIco(App32(), 0, 32), testsupport::ReadBytes(startDir / "app.ico"),
                                        "batch-app.ico"));
    EXPECT_EQ(ReadWithQt(startDir / ".hidden.ico").pixel(16, 16), kBlue);
    EXPECT_TRUE(SamePicture(GenericArtwork(), ReadWithQt(startDir / "text.ico")));
    // The batch's images stay in the scratch list, keyed by path.
    EXPECT_EQ(form->State().ImageList.Count(), 5);
    EXPECT_EQ(form->State().ImageList.IndexOf(StartPath() + QStringLiteral("/app.exe")), 3);
}

TEST_F(Extraction, BatchRunWithoutExecutablesOnlyReports) {
    ASSERT_TRUE(page().dirEXE->SetPath(StartPath() + QStringLiteral("/empty")));
    page().chkEXE2ICOAll->SetValue(1);
    (void)form->State().ImageList.Add(QImage(4, 4, QImage::Format_ARGB32), QStringLiteral("kept"));
    const auto before = FilesBelow(startDir.path());
    Run();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kNoExecutables);
    EXPECT_EQ(messages[0].style, 16);
    EXPECT_EQ(messages[0].title, kError);
    EXPECT_EQ(messages[0].caption, kIdle);
    EXPECT_EQ(page().cmdEXE2ICO->text(), kIdle);
    EXPECT_EQ(FilesBelow(startDir.path()), before);
    EXPECT_EQ(form->State().ImageList.Count(), 1);
    EXPECT_TRUE(enabledChanges.empty());
}

TEST_F(Extraction, BatchRunSavesHiddenExecutablesTheListDoesNotShow) {
    ASSERT_TRUE(page().dirEXE->SetPath(StartPath() + QStringLiteral("/hidden")));
    ASSERT_EQ(page().filEXE->ListCount(), 0);
    page().chkEXE2ICOAll->SetValue(1);
    Run();
    ExpectDoneOnce();
    EXPECT_EQ(ReadWithQt(startDir / "hidden/.a.ico").pixel(16, 16), kRed);
    EXPECT_EQ(ReadWithQt(startDir / "hidden/.b.ico").pixel(16, 16), kGreen);
}

// An icon path that cannot be written (taken by a folder) is passed over
// silently; the other executables still get theirs.
TEST_F(Extraction, UnwritableIconPathIsSkippedSilently) {
    fs::create_directory(startDir / "app.ico");
    page().chkEXE2ICOAll->SetValue(1);
    Run();
    ExpectDoneOnce();
    EXPECT_TRUE(fs::is_directory(startDir / "app.ico"));
    EXPECT_TRUE(fs::is_regular_file(startDir / "SETUP.ico"));
    EXPECT_TRUE(fs::is_regular_file(startDir / "text.ico"));
}

// The batch leaves an image under the chosen executable's path; the single
// run still saves what the executable holds now.
TEST_F(Extraction, SingleFileRunAfterBatchSavesTheChosenExecutable) {
    page().chkEXE2ICOAll->SetValue(1);
    Run();
    ASSERT_EQ(ReadWithQt(startDir / "app.ico").pixel(16, 16), kRed);
    Write(startDir / "app.exe", PeOfColour(kGreen));
    fs::remove(startDir / "app.ico");
    page().chkEXE2ICOAll->SetValue(0);
    Select("app.exe");
    messages.clear();
    Run();
    ExpectDoneOnce();
    EXPECT_EQ(ReadWithQt(startDir / "app.ico").pixel(16, 16), kGreen);
    EXPECT_EQ(form->State().ImageList.Count(), 0);
}

TEST(IconPath, LastFourCharactersBecomeIco) {
    EXPECT_EQ(IconPathFor(QStringLiteral("/a/SETUP.EXE")), QStringLiteral("/a/SETUP.ico"));
    EXPECT_EQ(IconPathFor(QStringLiteral("/a/app.exe")), QStringLiteral("/a/app.ico"));
    EXPECT_EQ(IconPathFor(QStringLiteral("/a/.exe")), QStringLiteral("/a/.ico"));
    EXPECT_EQ(JoinFolder(QStringLiteral("/"), QStringLiteral("x.exe")), QStringLiteral("//x.exe"));
}

// A path with two separators in a row, as a root folder gives, still names
// the file, and its icon lands beside it.
TEST(IconPath, DoubledSeparatorStillNamesTheFile) {
    testsupport::TempDir dir;
    Write(dir / "app.exe", PeOfColour(kBlue));
    platform::ImageList list;
    const QString executable = FromNative(dir.path()) + QStringLiteral("//app.exe");
    EXPECT_TRUE(SaveExecutableIcon(list, executable, IconPathFor(executable)));
    EXPECT_EQ(ReadWithQt(dir / "app.ico").pixel(16, 16), kBlue);
}

// The bridge: an icon becomes a picture that carries the icon's image bytes;
// no icon, no picture.
TEST(Bridge, IconBecomesAPictureWithItsImageBytes) {
    testsupport::TempDir dir;
    const Bytes dib = Marked32(32, kGreen);
    Write(dir / "a.exe", PeWith({dib}));
    const platform::Picture picture = GetFileICO(FromNative(dir / "a.exe"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(picture.image.pixel(0, 0), kCorner);
    EXPECT_EQ(picture.iconImageData, dib);

    EXPECT_TRUE(GetFileICO(FromNative(dir.path())).isNull());
    EXPECT_TRUE(ICOHandleToPicture({}).isNull());
    platform::ImageList list;
    EXPECT_EQ(list.Add(GetFileICO(FromNative(dir / "missing.exe")), QStringLiteral("k")), 0);
}

} // namespace
