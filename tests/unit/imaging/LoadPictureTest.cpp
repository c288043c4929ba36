// Loading pictures: the format comes from the content, every decoded picture
// ends up as 32-bit straight alpha, and damaged, truncated or oversized input
// is a load failure.

#include "BmpWriter.h"
#include "TestPictures.h"
#include "TestSupport.h"

#include "libs/imaging/Imaging.h"
#include "libs/imaging/SourcePicture.h"

#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#if defined(__unix__)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using imaging::SourcePicture;
using imagingtest::Encode;
using imagingtest::MakePattern;
using imagingtest::Pattern;
using imagingtest::Picture;

namespace {

std::vector<uint8_t> Bytes(const QByteArray& a) { return {a.begin(), a.end()}; }

std::unique_ptr<SourcePicture> FromMemory(const std::vector<uint8_t>& bytes) {
    return imaging::LoadPictureFromMemory(bytes.data(), bytes.size());
}

// Exact pixels of a loaded picture against the expected bytes.
::testing::AssertionResult SamePixels(const SourcePicture& loaded, const Picture& expected) {
    const imaging::PixelView v = loaded.pixels();
    if (v.width != expected.width || v.height != expected.height)
        return ::testing::AssertionFailure() << "size " << v.width << "x" << v.height;
    for (int32_t y = 0; y < v.height; ++y)
        if (std::memcmp(v.row(y), expected.at(0, y), static_cast<size_t>(v.width) * 4) != 0)
            return ::testing::AssertionFailure() << "row " << y << " differs";
    return ::testing::AssertionSuccess();
}

// Building blocks for hand-made PNG files.
uint32_t Crc32(const std::vector<uint8_t>& data, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < data.size(); ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    PutBig32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig32(png, Crc32(png, start));
}

// A PNG of 1-bit greyscale rows, alternately white and black: cheap to
// store and to decode however large it claims to be. Without `withData` the
// header is followed by a stub of data, enough for the size to be read.
std::vector<uint8_t> StripedPng(uint32_t width, uint32_t height, bool withData = true) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    PutBig32(ihdr, width);
    PutBig32(ihdr, height);
    ihdr.insert(ihdr.end(), {1, 0, 0, 0, 0});  // 1 bit, greyscale, deflate, no filter, no interlace
    PutChunk(png, "IHDR", ihdr);
    if (withData) {
        const size_t rowBytes = 1 + (width + 7) / 8;
        QByteArray raw(static_cast<qsizetype>(rowBytes * height), '\0');
        for (uint32_t y = 0; y < height; y += 2)
            std::memset(raw.data() + y * rowBytes + 1, 0xFF, rowBytes - 1);
        const QByteArray packed = qCompress(raw).mid(4);  // zlib stream without Qt's length prefix
        PutChunk(png, "IDAT", Bytes(packed));
    } else {
        PutChunk(png, "IDAT", {0x78, 0x9C, 0x63, 0x00});
    }
    PutChunk(png, "IEND", {});
    return png;
}

// A 1 x 1 GIF whose one pixel is red (Qt writes no GIF, so it is made by hand).
std::vector<uint8_t> RedGif(uint8_t screenLow = 1, uint8_t screenHigh = 0) {
    return {'G', 'I', 'F', '8', '9', 'a', screenLow, screenHigh, screenLow, screenHigh, 0x80, 0, 0,
            0xFF, 0, 0, 0, 0, 0,                             // colour table: red, black
            0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,                 // image at 0, 0, 1 x 1
            2, 2, 0x44, 0x01, 0,                             // LZW: clear, index 0, end
            0x3B};
}

TEST(LoadPicture, JpegNamedPngLoadsByContent) {
    testsupport::TempDir dir;
    const QImage flat = imagingtest::ToImage(imagingtest::Filled(40, 30, 50, 100, 200, 255));
    testsupport::WriteBytes(dir / "photo.png", Bytes(Encode(flat, "JPEG", 95)));
    const auto loaded = imaging::LoadPicture((dir / "photo.png").string());
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->width(), 40);
    ASSERT_EQ(loaded->height(), 30);
    const uint8_t* centre = loaded->pixels().row(15) + 4 * 20;
    EXPECT_NEAR(centre[0], 50, 4);
    EXPECT_NEAR(centre[1], 100, 4);
    EXPECT_NEAR(centre[2], 200, 4);
    EXPECT_EQ(centre[3], 255);
}

// The general reader keeps the caller's pixel limit: 40 x 30 is 1200 pixels.
TEST(LoadPicture, JpegAtThePixelLimitLoadsAndOnePixelBelowFails) {
    const std::vector<uint8_t> jpeg =
        Bytes(Encode(imagingtest::ToImage(imagingtest::Filled(40, 30, 50, 100, 200, 255)), "JPEG", 95));
    EXPECT_FALSE(imaging::LoadPictureFromMemory(jpeg.data(), jpeg.size(), 1199));
    const auto loaded = imaging::LoadPictureFromMemory(jpeg.data(), jpeg.size(), 1200);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->pixels().stride, 4 * 40);
}

// A copied picture keeps its pixels and leaves a source's row padding behind.
TEST(LoadPicture, CopiedPictureDropsRowPadding) {
    const std::vector<uint8_t> padded = {1, 2, 3, 4, 5, 6, 7, 8, 0xEE, 0xEE, 0xEE, 0xEE,  //
                                         9, 10, 11, 12, 13, 14, 15, 16, 0xEE, 0xEE, 0xEE, 0xEE};
    const auto copy = imaging::SourcePicture::Copy(padded.data(), 2, 2, 12);
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->pixels().stride, 8);
    const std::vector<uint8_t> want = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(std::vector<uint8_t>(copy->pixels().bgra, copy->pixels().bgra + 16), want);
    EXPECT_FALSE(imaging::SourcePicture::Copy(padded.data(), 2, 2, 7)) << "a stride shorter than a row";
    EXPECT_FALSE(imaging::SourcePicture::Copy(padded.data(), 0, 2, 12));
}

TEST(LoadPicture, GifAndBmpAndIcoLoadWhateverTheirNames) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir / "red.png", RedGif());
    const auto gif = imaging::LoadPicture((dir / "red.png").string());
    ASSERT_TRUE(gif);
    EXPECT_TRUE(SamePixels(*gif, imagingtest::Filled(1, 1, 0, 0, 255, 255)));

    const Picture opaque = MakePattern(Pattern::Gradient, 19, 7);
    testsupport::WriteBytes(dir / "grad.png", Bytes(Encode(imagingtest::ToImage(opaque), "BMP")));
    const auto bmp = imaging::LoadPicture((dir / "grad.png").string());
    ASSERT_TRUE(bmp);
    EXPECT_TRUE(SamePixels(*bmp, opaque));

    const Picture alpha = MakePattern(Pattern::PartialAlpha, 16, 16);
    testsupport::WriteBytes(dir / "icon.jpg", Bytes(Encode(imagingtest::ToImage(alpha), "ICO")));
    EXPECT_TRUE(imaging::LoadPicture((dir / "icon.jpg").string()));
}

// Straight alpha comes through unchanged, colour of transparent pixels too.
TEST(LoadPicture, PngKeepsStraightAlphaExactly) {
    const Picture p = MakePattern(Pattern::PartialAlpha, 33, 17);
    const auto loaded = FromMemory(Bytes(Encode(imagingtest::ToImage(p), "PNG")));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(SamePixels(*loaded, p));
}

TEST(LoadPicture, OtherPixelFormatsBecomeStraight32Bit) {
    QImage deep(2, 1, QImage::Format_RGBA64);
    deep.setPixelColor(0, 0, QColor::fromRgba64(65535, 32896, 0, 65535));
    deep.setPixelColor(1, 0, QColor::fromRgba64(0, 0, 65535, 32896));
    const auto fromDeep = FromMemory(Bytes(Encode(deep, "PNG")));
    ASSERT_TRUE(fromDeep);
    Picture want(2, 1);
    want.set(0, 0, 0, 128, 255, 255);
    want.set(1, 0, 255, 0, 0, 128);
    EXPECT_TRUE(SamePixels(*fromDeep, want));

    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(10, 20, 30, 255), qRgba(200, 150, 100, 60)});
    indexed.setPixel(0, 0, 1);
    indexed.setPixel(1, 0, 0);
    const auto fromIndexed = FromMemory(Bytes(Encode(indexed, "PNG")));
    ASSERT_TRUE(fromIndexed);
    want.set(0, 0, 100, 150, 200, 60);
    want.set(1, 0, 30, 20, 10, 255);
    EXPECT_TRUE(SamePixels(*fromIndexed, want));
}

// The file is opened by its bytes: a name that is not valid UTF-8 works.
TEST(LoadPicture, AnyFileNameTheSystemAllows) {
    testsupport::TempDir dir;
    const std::string name = "bild\xE4\xFF.png";
    testsupport::WriteBytes(dir / name, RedGif());
    EXPECT_TRUE(imaging::LoadPicture((dir / name).string()));
}

TEST(LoadPicture, MissingEmptyAndNonPictureFilesFail) {
    testsupport::TempDir dir;
    EXPECT_FALSE(imaging::LoadPicture((dir / "missing.png").string()));
    EXPECT_FALSE(imaging::LoadPicture(dir.path().string()));  // a folder
    testsupport::WriteBytes(dir / "empty.png", {});
    EXPECT_FALSE(imaging::LoadPicture((dir / "empty.png").string()));
    testsupport::WriteText(dir / "text.png", "just some words, not a picture at all\n");
    EXPECT_FALSE(imaging::LoadPicture((dir / "text.png").string()));
#if defined(__unix__)
    // A pipe named like a picture is refused rather than waited on.
    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    EXPECT_FALSE(imaging::LoadPicture((dir / "pipe.png").string()));
#endif
    EXPECT_FALSE(imaging::LoadPictureFromMemory(nullptr, 0));
    const uint8_t zeros[64] = {};
    EXPECT_FALSE(imaging::LoadPictureFromMemory(zeros, sizeof zeros));
}

TEST(LoadPicture, TruncatedPngFails) {
    const auto png = Bytes(Encode(imagingtest::ToImage(MakePattern(Pattern::Noise, 40, 40)), "PNG"));
    ASSERT_TRUE(FromMemory(png));
    for (size_t cut : {size_t{1}, size_t{8}, size_t{20}, size_t{33}, png.size() / 2, png.size() * 9 / 10}) {
        const std::vector<uint8_t> part(png.begin(), png.begin() + static_cast<ptrdiff_t>(cut));
        EXPECT_FALSE(FromMemory(part)) << "cut at " << cut;
    }
}

// Every "BM" file goes through our decoder, whatever its name: its 16-bit
// widening (Qt's reader gives 192 for 24). Short files are the decoder's
// own tests and the BMP run's.
TEST(LoadPicture, BmpByOurDecoder) {
    testsupport::TempDir dir;
    bmptest::BmpPlan rgb555;
    rgb555.width = 2;
    rgb555.bitCount = 16;
    rgb555.pixelData = bmptest::PackRows({{0x6318, 0x7FFF}}, 16);
    testsupport::WriteBytes(dir / "grey.png", bmptest::WriteBmp(rgb555));
    const auto loaded = imaging::LoadPicture((dir / "grey.png").string());
    ASSERT_TRUE(loaded);
    const uint8_t* p = loaded->pixels().row(0);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 8), (std::vector<uint8_t>{198, 198, 198, 255, 255, 255, 255, 255}));
}

TEST(LoadPicture, DamagedPngFails) {
    auto png = Bytes(Encode(imagingtest::ToImage(MakePattern(Pattern::Noise, 40, 40)), "PNG"));
    for (size_t i = png.size() / 3; i < png.size() / 3 + 64; ++i)
        png[i] ^= 0x5A;  // inside the compressed data: its checksum no longer matches
    EXPECT_FALSE(FromMemory(png));
}

TEST(LoadPicture, HeadersAloneFail) {
    const QImage image = imagingtest::ToImage(MakePattern(Pattern::Gradient, 20, 20));
    for (const char* format : {"PNG", "JPEG", "BMP", "ICO"}) {
        const auto whole = Bytes(Encode(image, format));
        ASSERT_TRUE(FromMemory(whole)) << format;
        const std::vector<uint8_t> head(whole.begin(), whole.begin() + 12);
        EXPECT_FALSE(FromMemory(head)) << format;
    }
    const auto gif = RedGif();
    EXPECT_FALSE(FromMemory({gif.begin(), gif.begin() + 12}));
}

// Headers that claim enormous pictures, each complete enough for the
// decoder to report the size: refused from the declared size, before any
// pixel memory is asked for.
TEST(LoadPicture, DeclaredHugePicturesFail) {
    EXPECT_FALSE(FromMemory(StripedPng(100000, 100000, false)));
    EXPECT_FALSE(FromMemory(StripedPng(0x7FFFFFFF, 0x7FFFFFFF, false)));
    EXPECT_FALSE(FromMemory(RedGif(0xFF, 0xFF)));  // 65535 x 65535 screen
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8,                                          // start
                                       0xFF, 0xC0, 0, 17, 8, 0xFD, 0xE8, 0xFD, 0xE8,        // 65000 x 65000
                                       3,    1,    0x11, 0, 2, 0x11, 0, 3, 0x11, 0,          // components
                                       0xFF, 0xDA, 0, 12, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 63, 0,  // scan
                                       0xFF, 0xD9};
    EXPECT_FALSE(FromMemory(jpeg));
    std::vector<uint8_t> bmp = {'B',  'M',  54, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                0x80, 0x3E, 0,  0, 0x80, 0x3E, 0, 0, 1, 0, 24, 0};  // 16000 x 16000
    bmp.resize(54, 0);
    EXPECT_FALSE(FromMemory(bmp));
}

// What this process has read so far, as the kernel counts it.
uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return 0;
}

// A sparse file: the picture's bytes, then holes up to `size`.
std::filesystem::path SparseFile(const testsupport::TempDir& dir, const char* name, const std::vector<uint8_t>& head,
                                 off_t size) {
    const std::filesystem::path path = dir / name;
    testsupport::WriteBytes(path, head);
    EXPECT_EQ(::truncate(path.c_str(), size), 0);
    return path;
}

// The header is checked before the rest is read: a file refused by its
// header, or larger than its header makes plausible, costs a few bytes of
// reading whatever its size. The 1 x 1 picture's bound is 67108922 bytes
// (see PngPlausibleSize): one byte more is refused, that size is read (up to
// its IEND) and loads.
TEST(LoadPicture, RefusedFromTheHeaderWithoutReadingTheRest) {
    testsupport::TempDir dir;
    const auto huge = SparseFile(dir, "huge.png", StripedPng(100000, 100000, false), off_t{1} << 30);
    const auto over = SparseFile(dir, "over.png", StripedPng(1, 1), 67108923);
    const auto at = SparseFile(dir, "at.png", StripedPng(1, 1), 67108922);
    // A BMP: its headers refuse 100000 x 100000; a 1 x 1 24-bit one (54
    // bytes of headers, one 4-byte row) may carry 64 MiB after its pixels.
    bmptest::BmpPlan hugePlan;
    hugePlan.width = hugePlan.height = 100000;
    const auto hugeBmp = SparseFile(dir, "huge.bmp", bmptest::WriteBmp(hugePlan), off_t{1} << 30);
    bmptest::BmpPlan one;
    one.pixelData = {1, 2, 3, 0};
    const off_t bmpBound = 54 + 4 + (off_t{64} << 20);
    const auto overBmp = SparseFile(dir, "over.bmp", bmptest::WriteBmp(one), bmpBound + 1);
    const auto atBmp = SparseFile(dir, "at.bmp", bmptest::WriteBmp(one), bmpBound);
    EXPECT_TRUE(imaging::LoadPicture(atBmp.string()));
    for (const auto& refused : {huge, over, hugeBmp, overBmp}) {
        const uint64_t before = BytesRead();
        EXPECT_FALSE(imaging::LoadPicture(refused.string())) << refused;
        EXPECT_LE(BytesRead() - before, 4096u) << refused;
    }
    EXPECT_TRUE(imaging::LoadPicture(at.string()));
}

// A PNG file over 16 MiB is read in pieces as it is decoded: a 15 MiB text
// chunk (checked in windows, and skipped), image data in one IDAT over the
// 1 MiB window or
// in 1-byte IDATs. The pixels are those of the same bytes decoded in memory;
// a bad checksum on one IDAT refuses the picture, one on the text does not.
std::vector<uint8_t> LargePng(bool oneByteIdats, int badCrcAt) {
    constexpr uint32_t kWidth = 1024, kHeight = 1024;
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    PutBig32(ihdr, kWidth);
    PutBig32(ihdr, kHeight);
    ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});  // 8-bit grey
    PutChunk(png, "IHDR", ihdr);
    std::vector<uint8_t> text(15u << 20, 'x');
    text[0] = 'k', text[1] = 0;
    PutChunk(png, "tEXt", text);
    QByteArray raw(static_cast<qsizetype>((kWidth + 1) * kHeight), '\0');
    for (qsizetype i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<char>(i % (kWidth + 1) == 0 ? i % 5 : (i * 7919) >> 5);
    const QByteArray stream = qCompress(raw, 0).mid(4);  // stored: as large as the rows
    if (oneByteIdats) {
        for (const char c : stream)
            PutChunk(png, "IDAT", {static_cast<uint8_t>(c)});
    } else {
        PutChunk(png, "IDAT", Bytes(stream));
    }
    PutChunk(png, "IEND", {});
    if (badCrcAt > 0)
        png[static_cast<size_t>(badCrcAt)] ^= 1;
    return png;
}

TEST(LoadPicture, LargeFilesAreReadInPieces) {
    testsupport::TempDir dir;
    for (const bool oneByte : {false, true}) {
        const std::vector<uint8_t> png = LargePng(oneByte, 0);
        ASSERT_GT(png.size(), size_t{16} << 20);
        const auto inMemory = FromMemory(png);
        ASSERT_TRUE(inMemory);
        testsupport::WriteBytes(dir / "large.png", png);
        const auto fromFile = imaging::LoadPicture((dir / "large.png").string());
        ASSERT_TRUE(fromFile) << oneByte;
        const imaging::PixelView a = inMemory->pixels(), b = fromFile->pixels();
        ASSERT_EQ(a.width, b.width);
        ASSERT_EQ(a.height, b.height);
        for (int32_t y = 0; y < a.height; ++y)
            ASSERT_EQ(std::memcmp(a.row(y), b.row(y), static_cast<size_t>(a.width) * 4), 0) << "row " << y;
    }
    const size_t textCrc = 8 + 25 + 8 + (15u << 20);  // the text chunk's checksum
    const size_t idatCrc = textCrc + 4 + 8 + 1 + 8 + 1;  // the second 1-byte IDAT's checksum
    testsupport::WriteBytes(dir / "text.png", LargePng(true, static_cast<int>(textCrc)));
    EXPECT_TRUE(imaging::LoadPicture((dir / "text.png").string()));
    testsupport::WriteBytes(dir / "idat.png", LargePng(true, static_cast<int>(idatCrc)));
    EXPECT_FALSE(imaging::LoadPicture((dir / "idat.png").string()));
}

// Over the pixel limit though cheap to hold while decoding (1 bit per
// pixel): still refused. The same file made small loads, so the file is good.
TEST(LoadPicture, PicturesOverThePixelLimitFail) {
    const auto small = FromMemory(StripedPng(64, 64));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->pixels().row(0)[0], 255);
    EXPECT_EQ(small->pixels().row(1)[0], 0);
    static_assert(imaging::kMaxPicturePixels == 8192 * 8192);
    EXPECT_FALSE(FromMemory(StripedPng(8193, 8192)));
}

} // namespace
