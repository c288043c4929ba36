// The image list: entries by index and key, and its icons: sizes up to 256 kept, larger pictures fitted with
// their aspect ratio, the mask colour made transparent (exactly that colour),
// a picture's own alpha kept, and icon pictures passed on unchanged.

#include "platform/imagelist/ImageList.h"

#include <gtest/gtest.h>

namespace {

QImage Filled(int width, int height, QRgb argb) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

} // namespace

TEST(ExtractIcon, MakesTheMaskColourTransparentAndKeepsTheRest) {
    QImage picture = Filled(4, 3, 0xFF102030u);
    picture.setPixel(0, 0, 0xFFC0C0C0u);  // the mask colour
    picture.setPixel(1, 0, 0x80C0C0C0u);  // the mask colour, half transparent
    picture.setPixel(2, 0, 0xFFC0C0C1u);  // one step off
    picture.setPixel(3, 0, 0x40FF8000u);  // the picture's own alpha
    platform::ImageList list;
    ASSERT_EQ(list.Add(picture), 1);

    const platform::Picture icon = list.ExtractIcon(1);
    ASSERT_EQ(icon.image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(icon.image.size(), QSize(4, 3));
    EXPECT_EQ(icon.image.pixel(0, 0), 0u);
    EXPECT_EQ(icon.image.pixel(1, 0), 0u);
    EXPECT_EQ(icon.image.pixel(2, 0), 0xFFC0C0C1u);
    EXPECT_EQ(icon.image.pixel(3, 0), 0x40FF8000u);
    EXPECT_EQ(icon.image.pixel(2, 2), 0xFF102030u);
    EXPECT_TRUE(icon.iconImageData.empty());
    EXPECT_EQ(list.Image(1).pixel(0, 0), 0xFFC0C0C0u);  // the entry itself is untouched
}

TEST(ExtractIcon, IsNullOutsideTheList) {
    platform::ImageList list;
    EXPECT_TRUE(list.ExtractIcon(1).isNull());
    ASSERT_EQ(list.Add(Filled(2, 2, 0xFF000000u)), 1);
    EXPECT_TRUE(list.ExtractIcon(0).isNull());
    EXPECT_TRUE(list.ExtractIcon(2).isNull());
    EXPECT_FALSE(list.ExtractIcon(1).isNull());
}

struct Fit {
    int width, height, iconWidth, iconHeight;
};

class ExtractIconFit : public ::testing::TestWithParam<Fit> {};

TEST_P(ExtractIconFit, FitsIntoTwoHundredFiftySixKeepingTheAspectRatio) {
    const Fit f = GetParam();
    platform::ImageList list;
    ASSERT_EQ(list.Add(Filled(f.width, f.height, 0xFF4080C0u)), 1);
    const QImage icon = list.ExtractIcon(1).image;
    EXPECT_EQ(icon.size(), QSize(f.iconWidth, f.iconHeight));
    // A plain colour stays that colour through the bicubic filter.
    EXPECT_EQ(icon.pixel(icon.width() / 2, icon.height() / 2), 0xFF4080C0u);
    EXPECT_EQ(icon.pixel(0, 0), 0xFF4080C0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExtractIconFit,
                         ::testing::Values(Fit{1, 1, 1, 1}, Fit{256, 256, 256, 256}, Fit{256, 17, 256, 17},
                                           Fit{257, 100, 256, 100}, Fit{512, 256, 256, 128},
                                           Fit{300, 40, 256, 34}, Fit{40, 300, 34, 256},
                                           Fit{3000, 1, 256, 1}, Fit{1023, 1023, 256, 256}));

// Mask-colour pixels are cleared before scaling, so no grey bleeds into the
// scaled picture's edges.
TEST(ExtractIcon, ScalingSeesTheMaskColourAsTransparent) {
    QImage picture = Filled(512, 512, 0xFFC0C0C0u);
    for (int y = 0; y < 512; ++y)
        for (int x = 256; x < 512; ++x)
            picture.setPixel(x, y, 0xFF0000FFu);
    platform::ImageList list;
    ASSERT_EQ(list.Add(picture), 1);
    const QImage icon = list.ExtractIcon(1).image;
    ASSERT_EQ(icon.size(), QSize(256, 256));
    EXPECT_EQ(icon.pixel(10, 10), 0u);
    EXPECT_EQ(icon.pixel(200, 10), 0xFF0000FFu);
    for (int x = 0; x < icon.width(); ++x) {  // across the border: blue, or nothing
        const QRgb p = icon.pixel(x, 100);
        EXPECT_TRUE(p == 0 || (p & 0xFFFFFFu) == 0x0000FFu) << x << ": " << std::hex << p;
    }
}

// An icon brings its own mask: its stored bytes and pixels pass unchanged,
// the mask colour included.
TEST(ExtractIcon, AnIconPictureKeepsItsStoredBytesAndPixels) {
    QImage image = Filled(32, 32, 0xFFC0C0C0u);
    const std::vector<uint8_t> stored = {40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0};
    platform::ImageList list;
    ASSERT_EQ(list.Add(platform::Picture{image, stored}), 1);
    const platform::Picture icon = list.ExtractIcon(1);
    EXPECT_EQ(icon.iconImageData, stored);
    EXPECT_EQ(icon.image.pixel(5, 5), 0xFFC0C0C0u);

    // Too large to stay as it is: scaled, and the stored bytes no longer apply.
    ASSERT_EQ(list.Add(platform::Picture{Filled(512, 512, 0xFF000000u), stored}), 2);
    const platform::Picture scaled = list.ExtractIcon(2);
    EXPECT_EQ(scaled.image.size(), QSize(256, 256));
    EXPECT_TRUE(scaled.iconImageData.empty());
}

TEST(ImageList, AddsByIndexFromOneAndRefusesMissingPicturesAndTakenKeys) {
    platform::ImageList list;
    EXPECT_EQ(list.MaskColor(), 0x00C0C0C0u);
    EXPECT_EQ(list.BackColor(), platform::kWindowBackground);
    EXPECT_EQ(list.ImageWidth(), 0);
    QImage picture(32, 24, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    EXPECT_EQ(list.Add(picture, QStringLiteral("/a.exe")), 1);
    EXPECT_EQ(list.Add(picture), 2);
    EXPECT_EQ(list.Add(picture, QStringLiteral("/a.exe")), 0);
    EXPECT_EQ(list.Add(QImage(), QStringLiteral("/b.exe")), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.ImageWidth(), 32);
    EXPECT_EQ(list.ImageHeight(), 24);
    EXPECT_EQ(list.IndexOf(QStringLiteral("/a.exe")), 1);
    EXPECT_TRUE(list.Image(3).isNull());
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Add(picture, QStringLiteral("/a.exe")), 1);
}
