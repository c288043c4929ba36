// png2ico and the general reader's library: the program links no Qt (nor
// the palette quantiser), opens the library beside it for a JPEG named .png,
// and says "[ERROR]" for such a picture (and nothing worse) when the library
// cannot be had.

#include "TestSupport.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Jpeg() {
    QImage image(24, 10, QImage::Format_RGB32);
    image.fill(qRgb(40, 160, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return {bytes.begin(), bytes.end()};
}

// A 1x1 opaque PNG, written out by hand.
const std::vector<uint8_t> kPng = {
    0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0,
    0x90, 0x77, 0x53, 0xDE, 0, 0, 0, 12, 'I', 'D', 'A', 'T', 0x78, 0x9C, 0x63, 0x10, 0x50, 0x30, 0, 0, 0, 0xA4, 0,
    0x61, 0x34, 0x66, 0x7D, 0x72, 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

struct ConvertRun {
    testsupport::ProcessResult result;
    bool jpegIcon = false;
    bool pngIcon = false;
};

// The child inherits the variable that names the reader's library, when given.
ConvertRun Convert(const char* readerVariable) {
    testsupport::TempDir dir;
    fs::create_directory(dir / "in");
    testsupport::WriteBytes(dir / "in/a.png", kPng);
    testsupport::WriteBytes(dir / "in/j.png", Jpeg());
    if (readerVariable != nullptr)
        ::setenv("TREVALO_GENERAL_READER", readerVariable, 1);
    ConvertRun run;
    run.result = testsupport::RunProcess(PNG2ICO_PATH, {"-s", "16", "32bpp", "-i", "in", "-o", "out", "-noconfirm"},
                                         dir.path());
    ::unsetenv("TREVALO_GENERAL_READER");
    run.pngIcon = fs::exists(dir / "out/a.ico");
    run.jpegIcon = fs::exists(dir / "out/j.ico");
    return run;
}

// Each is opened when a picture first needs it: Qt for other formats, the
// quantiser (and its OpenMP runtime) for 4- and 8-bit images.
TEST(Png2icoGeneralReader, LinksNoQtNorTheQuantiser) {
    const auto r = testsupport::RunProcess("/usr/bin/ldd", {PNG2ICO_PATH}, fs::current_path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("libc.so"), std::string::npos) << r.out;
    for (const char* library : {"libQt", "libimagequant", "libgomp"})
        EXPECT_EQ(r.out.find(library), std::string::npos) << library << " in\n" << r.out;
}

TEST(Png2icoGeneralReader, OpensTheLibraryBesideItOnlyForOtherFormats) {
    const ConvertRun found = Convert(nullptr);
    ASSERT_FALSE(found.result.crashed);
    EXPECT_EQ(found.result.err, "");
    EXPECT_NE(found.result.out.find("\nin/a.png ..[OK]\nin/j.png ..[OK]\n"), std::string::npos) << found.result.out;
    EXPECT_TRUE(found.pngIcon);
    EXPECT_TRUE(found.jpegIcon);

    const ConvertRun missing = Convert("/nonexistent/libtrevalo-picturereader.so");
    ASSERT_FALSE(missing.result.crashed);
    EXPECT_EQ(missing.result.exitCode, 0);
    EXPECT_EQ(missing.result.err, "");
    EXPECT_NE(missing.result.out.find("\nin/a.png ..[OK]\nin/j.png ..[ERROR]\n"), std::string::npos)
        << missing.result.out;
    EXPECT_TRUE(missing.pngIcon);
    EXPECT_FALSE(missing.jpegIcon);
}

} // namespace
