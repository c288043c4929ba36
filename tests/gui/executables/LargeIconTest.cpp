// The large icon the shell gives for an executable: which image is taken,
// how other sizes come to 32 x 32, the DIB bytes it keeps, and what files
// without icons of their own get.

#include "ExeFiles.h"

#include "platform/shellicons/GenericIcon.h"
#include "platform/shellicons/ShellIcons.h"
#include "platform/artwork/Artwork.h"
#include "samples/exewriter/NeWriter.h"
#include "samples/exewriter/PngWriter.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace exetest;
using namespace pewriter;
using exeicons::IconPresence;
using platform::ExtractFirstIcon;
using platform::ShellLargeIcon;

namespace {

class LargeIcon : public ::testing::Test {
protected:
    QString Put(const std::string& name, const Bytes& bytes) {
        Write(dir / name, bytes);
        return FromNative(dir / name);
    }
    testsupport::TempDir dir;
};

uint32_t Pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y);
}

// Colour images with a mask bit per pixel: the mask's row `y` (top first)
// as stored at the end of a 32 x 32 DIB.
uint8_t MaskByte(const Bytes& dib32, int y, int byteInRow) {
    const size_t maskStart = 40 + 32 * 32 * 4;
    return dib32[maskStart + static_cast<size_t>(31 - y) * 4 + static_cast<size_t>(byteInRow)];
}

TEST_F(LargeIcon, Deepest32x32IsTakenWithItsStoredBytes) {
    const Bytes deep = MakeSolidDib(32, 32, 24, 0x3366CC);
    const QString file = Put("depths.exe", PeWith({Solid32(16, kRed), MakeSolidDib(32, 32, 4, 0x00FF00), deep,
                                                   MakeSolidDib(32, 32, 8, 0xFF0000), Solid32(48, kBlue)}));
    const auto icon = ExtractFirstIcon(file);
    ASSERT_EQ(icon.presence, IconPresence::kHasIcons);
    EXPECT_EQ(icon.icon.image.size(), QSize(32, 32));
    EXPECT_EQ(Pixel(icon.icon.image, 7, 9), 0xFF3366CCu);
    EXPECT_TRUE(testsupport::BytesEqual(deep, icon.icon.dib, "large-icon-depths.dib"));
    EXPECT_TRUE(testsupport::BytesEqual(deep, ShellLargeIcon(file).dib, "shell-icon-depths.dib"));
}

// A 256 PNG first in the group, as modern programs store it, in a PE32+.
TEST_F(LargeIcon, Png256FirstStill32x32DibInPe32Plus) {
    const Bytes dib = Marked32(32, kGreen);
    const QString file = Put("modern.exe", PeWith({MakePng(256, 256, std::vector<uint32_t>(256 * 256, kRed)),
                                                   Solid32(48, kBlue), dib, Solid32(16, kBlue)},
                                                  PeKind::kPe32Plus));
    const auto icon = ShellLargeIcon(file);
    EXPECT_EQ(Pixel(icon.image, 0, 0), kCorner);
    EXPECT_EQ(Pixel(icon.image, 31, 31), kGreen);
    EXPECT_TRUE(testsupport::BytesEqual(dib, icon.dib, "large-icon-modern.dib"));
}

// Without a 32 x 32 image the smallest larger one is scaled down: its halves
// stay apart, its transparent rows stay transparent, and the icon carries a
// 32-bit DIB of the scaled pixels with the mask set where alpha is 0.
TEST_F(LargeIcon, SmallestLargerImageIsScaledTo32) {
    const QString file = Put("no32.exe", PeWith({Solid32(16, kBlue), Solid32(64, kBlue),
                                                 Halves32(48, 48, 12, kGreen, kRed), Solid32(256, kBlue)}));
    const auto icon = ShellLargeIcon(file);
    ASSERT_EQ(icon.image.size(), QSize(32, 32));
    EXPECT_EQ(Pixel(icon.image, 0, 0), 0u);
    EXPECT_EQ(Pixel(icon.image, 31, 2), 0u);
    EXPECT_EQ(Pixel(icon.image, 0, 20), kGreen);
    EXPECT_EQ(Pixel(icon.image, 31, 31), kRed);
    ASSERT_EQ(icon.dib.size(), 40u + 32 * 32 * 4 + 32 * 4);
    EXPECT_EQ(icon.dib[14], 32);  // biBitCount
    EXPECT_EQ(icon.dib[8], 64);   // biHeight: twice the height
    EXPECT_EQ(MaskByte(icon.dib, 0, 0), 0xFF);
    EXPECT_EQ(MaskByte(icon.dib, 31, 0), 0x00);
    // Colour rows bottom first: the last row's first pixel is green, B G R A.
    EXPECT_EQ(icon.dib[40], 0x40);
    EXPECT_EQ(icon.dib[41], 0xC0);
    EXPECT_EQ(icon.dib[42], 0x20);
    EXPECT_EQ(icon.dib[43], 0xFF);
}

struct ScaledCase {
    const char* label;
    std::vector<Bytes> images;
    uint32_t centre;
};

void PrintTo(const ScaledCase& c, std::ostream* os) { *os << c.label; }

class ScaledIcon : public ::testing::TestWithParam<ScaledCase> {};

// Whatever the source, the icon is 32 x 32 and never keeps stored bytes that
// are not a 32 x 32 DIB.
TEST_P(ScaledIcon, ComesOut32x32WithA32BitDib) {
    testsupport::TempDir dir;
    Write(dir / "x.exe", PeWith(GetParam().images));
    const auto icon = ShellLargeIcon(FromNative(dir / "x.exe"));
    ASSERT_EQ(icon.image.size(), QSize(32, 32));
    EXPECT_EQ(Pixel(icon.image, 16, 16), GetParam().centre);
    ASSERT_EQ(icon.dib.size(), 40u + 32 * 32 * 4 + 32 * 4);
    EXPECT_EQ(icon.dib[14], 32);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ScaledIcon,
    ::testing::Values(
        ScaledCase{"OnlyA256Png", {MakePng(256, 256, std::vector<uint32_t>(256 * 256, kBlue))}, kBlue},
        ScaledCase{"Png32IsDecodedNotKept", {MakePng(32, 32, std::vector<uint32_t>(32 * 32, kGreen)),
                                             MakeSolidDib(32, 32, 8, 0xFF0000)}, kGreen},
        ScaledCase{"AllSmallerIsEnlarged", {Solid32(16, kRed), MakeSolidDib(24, 24, 8, 0x2040E0)}, kBlue},
        ScaledCase{"NonSquareIsStretched", {Halves32(64, 48, 0, kGreen, kGreen)}, kGreen},
        ScaledCase{"OneByOne", {MakeSolidDib(1, 1, 24, 0x20C040)}, kGreen}),
    [](const auto& p) { return std::string(p.param.label); });

// The first group in stored order counts, whatever the ids of its icons.
TEST_F(LargeIcon, FirstGroupWinsOverLowerIconIds) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{9, Solid32(32, kRed)}, {8, Solid32(16, kRed)}});
    AddIconGroup(&r, ResId::Number(2), {{1, Solid32(32, kBlue)}});
    const auto icon = ShellLargeIcon(Put("groups.exe", BuildPe(r).bytes));
    EXPECT_EQ(Pixel(icon.image, 16, 16), kRed);
}

// 16-bit programs pad their resources; the kept DIB is the image alone.
TEST_F(LargeIcon, NeIconKeepsItsDibWithoutPadding) {
    const Bytes dib = MakeSolidDib(32, 32, 4, 0xC04020);
    ASSERT_NE(dib.size() % 16, 0u);
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, dib}});
    const auto icon = ExtractFirstIcon(Put("old16.exe", BuildNe(r, 4).bytes));
    ASSERT_EQ(icon.presence, IconPresence::kHasIcons);
    EXPECT_TRUE(testsupport::BytesEqual(dib, icon.icon.dib, "large-icon-ne.dib"));
    EXPECT_EQ(Pixel(icon.icon.image, 3, 3), 0xFFC04020u);
}

// A PNG whose header is sound but whose data is not: a module without icons.
TEST_F(LargeIcon, UndecodablePngCountsAsNoIcons) {
    Bytes png = MakePng(32, 32, std::vector<uint32_t>(32 * 32, kRed));
    for (size_t i = 40; i < png.size() - 12; ++i)
        png[i] = 0x5A;
    const auto icon = ExtractFirstIcon(Put("badpng.exe", PeWith({png})));
    EXPECT_EQ(icon.presence, IconPresence::kNoIcons);
    EXPECT_TRUE(icon.icon.isNull());
}

struct NoIconCase {
    const char* label;
    Bytes (*make)();
    IconPresence presence;
};

void PrintTo(const NoIconCase& c, std::ostream* os) { *os << c.label; }

class WithoutOwnIcon : public ::testing::TestWithParam<NoIconCase> {};

// Nothing for the preview; the generic executable icon from the artwork for
// saving, as a 32-bit DIB of its pixels.
TEST_P(WithoutOwnIcon, PreviewGetsNothingSavingGetsTheGenericIcon) {
    testsupport::TempDir dir;
    Write(dir / "x.exe", GetParam().make());
    const QString file = FromNative(dir / "x.exe");
    const auto first = ExtractFirstIcon(file);
    EXPECT_EQ(first.presence, GetParam().presence);
    EXPECT_TRUE(first.icon.isNull());

    const auto shell = ShellLargeIcon(file);
    const QImage artwork = QImage(QString::fromLatin1(artwork::kExecutableIcon32)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(artwork.size(), QSize(32, 32));
    EXPECT_EQ(shell.image, artwork);
    EXPECT_EQ(shell.dib, platform::GenericExecutableIcon().dib);
    EXPECT_EQ(shell.dib.size(), 40u + 32 * 32 * 4 + 32 * 4);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WithoutOwnIcon,
    ::testing::Values(
        NoIconCase{"NoResources", &PeWithoutIcons, IconPresence::kNoIcons},
        NoIconCase{"LoopingDirectory", &LoopingPe, IconPresence::kNoIcons},
        NoIconCase{"Text", &TextFile, IconPresence::kNotAModule},
        NoIconCase{"Elf", &ElfFile, IconPresence::kNotAModule},
        NoIconCase{"Empty", [] { return Bytes{}; }, IconPresence::kNotAModule},
        NoIconCase{"HeadersCut", [] { Bytes b = PeOfColour(kRed); b.resize(200); return b; },
                   IconPresence::kNotAModule},
        NoIconCase{"IconDataCut", &PeCutInIconData, IconPresence::kNoIcons},
        NoIconCase{"BadSignature", [] { Bytes b = PeOfColour(kRed); b[0] = 'Z'; return b; },
                   IconPresence::kNotAModule}),
    [](const auto& p) { return std::string(p.param.label); });

// The shell gives no icon for a folder or for a name that is not there.
TEST_F(LargeIcon, FolderAndMissingFileGiveNoIcon) {
    std::filesystem::create_directory(dir / "folder.exe");
    EXPECT_TRUE(ShellLargeIcon(FromNative(dir / "folder.exe")).isNull());
    EXPECT_TRUE(ShellLargeIcon(FromNative(dir / "missing.exe")).isNull());
    EXPECT_EQ(ExtractFirstIcon(FromNative(dir / "folder.exe")).presence, IconPresence::kNotAModule);
}

} // namespace
