// The BMP run over folders mixing good, damaged and other files: icons for
// the pictures the loader reads (by content, any letter case), golden bytes
// of one icon, independent readers, the window's state and the messages.

#include "PageFixture.h"

#include "BmpWriter.h"

#include <QImage>
#include <QImageReader>

#include <set>

namespace fs = std::filesystem;

namespace {

const Message kBmpDone{QStringLiteral("BMP→ICO 转换完成！"), 64, QStringLiteral("提示")};
const Message kNoBmp{QStringLiteral("该文件夹中没有.BMP文件，请重选择文件夹。"), 16, QStringLiteral("错误")};

// 3 x 2, opaque: red, the image list's mask colour, blue / green, white and a
// colour one step off the mask colour.
void WriteSmallBmp(const fs::path& file) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(192, 192, 192));
    image.setPixel(2, 0, qRgb(0, 0, 255));
    image.setPixel(0, 1, qRgb(0, 255, 0));
    image.setPixel(1, 1, qRgb(255, 255, 255));
    image.setPixel(2, 1, qRgb(192, 192, 193));
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "BMP"));
}

// The icon of that picture, byte for byte: one 32-bit entry, rows bottom
// first, the mask-colour pixel transparent (all zero, mask bit set).
const std::vector<uint8_t> kSmallIcon = {
    0, 0, 1, 0, 1, 0,                                      // ICONDIR: icon, one image
    3, 2, 0, 0, 1, 0, 32, 0, 72, 0, 0, 0, 22, 0, 0, 0,     // entry: 3 x 2, 32 bits, 72 bytes at 22
    40, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 1, 0, 32, 0,      // header: height doubled
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 255, 0, 255, 255, 255, 255, 255, 193, 192, 192, 255,  // bottom row: green, white, C0C0C1
    0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 255,              // top row: red, clear, blue
    0, 0, 0, 0,                                              // mask, bottom row
    0x40, 0, 0, 0,                                           // mask, top row: the middle pixel
};

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class EnabledLog : public QObject {
public:
    std::vector<bool> states;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange)
            states.push_back(static_cast<QWidget*>(watched)->isEnabled());
        return false;
    }
};

} // namespace

class BmpRunTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        page().cboPicType->setCurrentIndex(1);
        pics = d / "pics";
        out = e / "out";
        fs::create_directories(pics / "sub.bmp");  // a folder the search finds too
        fs::create_directories(out);
        page().dirPIC->Refresh();
        OpenFolder(page().dirPIC, Q(pics));
    }
    void TargetOut() {
        PickDrive(page().drvICO, driveE);
        OpenFolder(page().dirICO, Q(out));
    }

    fs::path pics, out;
};

TEST_F(BmpRunTest, ConvertsTheReadablePicturesAndSkipsTheRest) {
    WriteSmallBmp(pics / "a.bmp");
    testsupport::WritePicture(pics / "Photo.BMP", 40, 30, 0xFF336699u, "BMP");
    testsupport::WritePicture(pics / "inside-png.bmp", 8, 8, 0x80FF0000u, "PNG");  // loaded by its content
    testsupport::WriteText(pics / "damaged.bmp", "BM this is no picture");
    testsupport::WritePicture(pics / "other.png", 8, 8, 0xFF00FF00u, "PNG");
    testsupport::WriteText(pics / "notes.txt", "not a picture");
    TargetOut();
    testsupport::WriteText(out / "Photo.ico", "an older file, replaced");
    EnabledLog enabled;
    form->installEventFilter(&enabled);

    page().cmdPIC2ICO->click();

    EXPECT_EQ(Names(out), (std::set<std::string>{"a.ico", "Photo.ico", "inside-png.ico"}));
    EXPECT_TRUE(testsupport::BytesEqual(kSmallIcon, testsupport::ReadBytes(out / "a.ico"), "bmp-run-a.ico"));
    const QImage photo(Q(out / "Photo.ico"));
    EXPECT_EQ(photo.size(), QSize(40, 30));
    EXPECT_EQ(photo.pixel(5, 5), 0xFF336699u);
    const QImage inside = QImage(Q(out / "inside-png.ico")).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(inside.pixel(0, 0), 0x80FF0000u);  // its own alpha is kept

    EXPECT_EQ(messages, std::vector<Message>{kBmpDone});
    EXPECT_EQ(enabled.states, (std::vector<bool>{false, true}));
    EXPECT_EQ(page().cmdPIC2ICO->text(), QStringLiteral("开始转换"));
    EXPECT_EQ(form->State().ImageList.Count(), 3);  // the entries stay until the next run
}

// 16-bit pictures widen 5-bit channels as Windows does, so 24/24/24 is
// 0xC6C6C6, not the mask colour; a picture cut short gets no icon.
TEST_F(BmpRunTest, SixteenBitColoursAsWindowsShowsThemAndShortFilesSkipped) {
    bmptest::BmpPlan rgb555;
    rgb555.width = 3;
    rgb555.bitCount = 16;
    rgb555.pixelData = bmptest::PackRows({{0x6318, 0x7FFF, 0x6319}}, 16);
    testsupport::WriteBytes(pics / "rgb555.bmp", bmptest::WriteBmp(rgb555));
    bmptest::BmpPlan big;
    big.width = big.height = 32;
    big.pixelData.assign(32 * 32 * 3, 0x40);
    std::vector<uint8_t> cut = bmptest::WriteBmp(big);
    cut.resize(1000);
    testsupport::WriteBytes(pics / "cut.bmp", cut);
    TargetOut();
    page().cmdPIC2ICO->click();

    EXPECT_EQ(Names(out), (std::set<std::string>{"rgb555.ico"}));
    const QImage icon = QImage(Q(out / "rgb555.ico")).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(3, 1));
    EXPECT_EQ(icon.pixel(0, 0), 0xFFC6C6C6u);
    EXPECT_EQ(icon.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(icon.pixel(2, 0), 0xFFC6C6CEu);
}

TEST_F(BmpRunTest, IconsReadBackWithQtsReaderAndIcotool) {
    WriteSmallBmp(pics / "a.bmp");
    testsupport::WritePicture(pics / "wide.bmp", 600, 300, 0xFF204080u, "BMP");
    TargetOut();
    page().cmdPIC2ICO->click();

    QImageReader reader(Q(out / "wide.ico"));
    EXPECT_EQ(reader.format(), "ico");
    EXPECT_EQ(reader.imageCount(), 1);
    const QImage wide = reader.read();
    EXPECT_EQ(wide.size(), QSize(256, 128));
    EXPECT_EQ(wide.pixel(128, 64), 0xFF204080u);
    const QImage small(Q(out / "a.ico"));
    EXPECT_EQ(small.size(), QSize(3, 2));
    EXPECT_EQ(qAlpha(small.pixel(1, 0)), 0);
    EXPECT_EQ(small.pixel(2, 1), qRgb(192, 192, 193));

    if (!testsupport::HaveProgram("icotool"))
        GTEST_SKIP() << "icotool not installed";
    const auto listing = testsupport::RunProcess("icotool", {"-l", (out / "wide.ico").string(), (out / "a.ico").string()}, out);
    EXPECT_EQ(listing.exitCode, 0) << listing.err;
    EXPECT_NE(listing.out.find("--width=256 --height=128 --bit-depth=32"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("--width=3 --height=2 --bit-depth=32"), std::string::npos) << listing.out;
    EXPECT_EQ(listing.err, "");
}

TEST_F(BmpRunTest, WithTheSameFolderOptionIconsLieBesideThePictures) {
    testsupport::WritePicture(pics / "one.bmp", 16, 16, 0xFF112233u, "BMP");
    page().chkSameDirToPNG->click();
    page().cmdPIC2ICO->click();
    EXPECT_EQ(Names(pics), (std::set<std::string>{"one.bmp", "one.ico", "sub.bmp"}));
    EXPECT_EQ(messages, std::vector<Message>{kBmpDone});
}

TEST_F(BmpRunTest, AnIconThatCannotBeSavedIsSkippedAndTheRunGoesOn) {
    testsupport::WritePicture(pics / "a.bmp", 4, 4, 0xFF010203u, "BMP");
    testsupport::WritePicture(pics / "b.bmp", 4, 4, 0xFF010203u, "BMP");
    TargetOut();
    fs::create_directories(out / "a.ico");  // a folder where the icon should go
    page().cmdPIC2ICO->click();
    EXPECT_TRUE(fs::is_directory(out / "a.ico"));
    EXPECT_TRUE(fs::is_empty(out / "a.ico"));
    EXPECT_EQ(QImage(Q(out / "b.ico")).size(), QSize(4, 4));
    EXPECT_EQ(messages, std::vector<Message>{kBmpDone});
}

// BMP pictures only in a subfolder: the search of the folder itself finds
// none. The window and the image list are left as they were.
TEST_F(BmpRunTest, AFolderWithoutBmpShowsOnlyTheErrorBox) {
    fs::remove(pics / "sub.bmp");
    fs::create_directories(pics / "inner");
    testsupport::WritePicture(pics / "inner" / "deep.bmp", 4, 4, 0xFF010203u, "BMP");
    testsupport::WritePicture(pics / "x.png", 4, 4, 0xFF010203u, "PNG");
    QImage kept(2, 2, QImage::Format_ARGB32);
    kept.fill(Qt::red);
    ASSERT_EQ(form->State().ImageList.Add(kept), 1);
    EnabledLog enabled;
    form->installEventFilter(&enabled);

    page().cmdPIC2ICO->click();
    EXPECT_EQ(messages, std::vector<Message>{kNoBmp});
    EXPECT_TRUE(enabled.states.empty());
    EXPECT_EQ(page().cmdPIC2ICO->text(), QStringLiteral("开始转换"));
    EXPECT_EQ(form->State().ImageList.Count(), 1);
    EXPECT_FALSE(fs::exists(pics / "inner" / "deep.ico"));
}
