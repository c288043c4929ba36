// png2ico on PNG inputs the general reader got wrong or noisy: 16-bit tRNS
// at truecolour and at grey comes out transparent in the icon, and damaged
// pictures (a plain PNG, a PNG inside an icon file) give "[ERROR]" with
// nothing on standard error.

#include "PngCorpus.h"
#include "SpngOracle.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kEdge = 16;

pngtest::PngPlan Transparent16(uint8_t colourType) {
    pngtest::PngPlan s = pngtest::RandomPlan({colourType, 16}, kEdge, kEdge, colourType == 0, 31);
    pngtest::AddTransparency(&s, 31);
    return s;
}

// The 32-bit image of a one-image icon as BGRA, top row first.
std::vector<uint8_t> IconPixels(const std::vector<uint8_t>& ico) {
    constexpr size_t kDib = 6 + 16 + 40;
    std::vector<uint8_t> out;
    if (ico.size() < kDib + kEdge * kEdge * 4)
        return out;
    for (uint32_t y = kEdge; y-- > 0;) {  // stored bottom-up
        const auto row = ico.begin() + static_cast<ptrdiff_t>(kDib + size_t{y} * kEdge * 4);
        out.insert(out.end(), row, row + kEdge * 4);
    }
    return out;
}

// Fully transparent pixels carry no colour in an icon.
std::vector<uint8_t> ClearedWhereTransparent(std::vector<uint8_t> bgra) {
    for (size_t i = 0; i < bgra.size(); i += 4)
        if (bgra[i + 3] == 0)
            bgra[i] = bgra[i + 1] = bgra[i + 2] = 0;
    return bgra;
}

std::vector<uint8_t> DamagedInIcon() {
    std::vector<uint8_t> png = pngtest::EncodePng(Transparent16(2));
    png[png.size() - 20] ^= 0x08;  // inside IDAT
    std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
    for (uint32_t v : {static_cast<uint32_t>(png.size()), 22u})
        for (int i = 0; i < 4; ++i)
            ico.push_back(static_cast<uint8_t>(v >> (8 * i)));
    ico.insert(ico.end(), png.begin(), png.end());
    return ico;
}

TEST(Png2icoPngInput, SixteenBitTransparencyReachesTheIcon) {
    testsupport::TempDir dir;
    fs::create_directory(dir / "pngs");
    const std::vector<uint8_t> rgb = pngtest::EncodePng(Transparent16(2));
    const std::vector<uint8_t> grey = pngtest::EncodePng(Transparent16(0));
    testsupport::WriteBytes(dir / "pngs/rgb16.png", rgb);
    testsupport::WriteBytes(dir / "pngs/grey16.png", grey);
    const auto r = testsupport::RunProcess(PNG2ICO_PATH, {"-s", "16", "32bpp", "-i", "pngs", "-o", "out",
                                                          "-noconfirm", "-silent"}, dir.path());
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (const auto& [name, png] : {std::pair{"rgb16", rgb}, std::pair{"grey16", grey}}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> icon = IconPixels(testsupport::ReadBytes(dir / "out" / (std::string(name) + ".ico")));
        ASSERT_FALSE(icon.empty());
        EXPECT_EQ(icon[3], 0) << "the tRNS colour";
        EXPECT_EQ(icon[7], 255) << "the colour one low bit away";
        // 16 to 16 is the identity: every pixel as the reference decoder has it.
        const pngtest::OracleResult want = pngtest::SpngDecode(png.data(), png.size(), uint64_t{1} << 26);
        ASSERT_TRUE(want.ok);
        EXPECT_EQ(icon, ClearedWhereTransparent(want.bgra));
    }
}

TEST(Png2icoPngInput, DamagedPicturesSayErrorAndNothingElse) {
    testsupport::TempDir dir;
    fs::create_directory(dir / "pngs");
    std::vector<uint8_t> png = pngtest::EncodePng(Transparent16(2));
    png[png.size() - 20] ^= 0x08;
    testsupport::WriteBytes(dir / "pngs/a.png", png);
    testsupport::WriteBytes(dir / "pngs/b.png", DamagedInIcon());
    testsupport::WriteBytes(dir / "pngs/c.png", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0});
    testsupport::WriteBytes(dir / "pngs/d.png", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0});
    const auto r = testsupport::RunProcess(PNG2ICO_PATH, {"-s", "16", "32bpp", "-i", "pngs", "-o", "out",
                                                          "-noconfirm"}, dir.path());
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("\npngs/a.png ..[ERROR]\npngs/b.png ..[ERROR]\npngs/c.png ..[ERROR]\n"
                         "pngs/d.png ..[ERROR]\n"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(fs::exists(dir / "out/a.ico"));
    EXPECT_FALSE(fs::exists(dir / "out/b.ico"));
}

} // namespace
