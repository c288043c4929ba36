// Smaller parts of the window toolkit: twips, colours, lines, the image list
// and cursor files.

#include "platform/widgets/CheckBox.h"
#include "platform/widgets/Control.h"
#include "platform/widgets/CursorFile.h"
#include "platform/widgets/Line.h"
#include "platform/widgets/OleColor.h"

#include <QPalette>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>

TEST(Twips, FifteenTwipsMakeOnePixelRoundedToTheNearest) {
    EXPECT_EQ(platform::ToPixels(7575), 505);
    EXPECT_EQ(platform::ToPixels(580), 39);   // 38.67
    EXPECT_EQ(platform::ToPixels(250), 17);   // 16.67
    EXPECT_EQ(platform::ToPixels(2420), 161); // 161.33
    EXPECT_EQ(platform::ToPixels(7), 0);
    EXPECT_EQ(platform::ToPixels(8), 1);
    EXPECT_EQ(platform::ToPixels(-15), -1);
    EXPECT_EQ(platform::TwipsRect(6120, 5280, 1095, 375), QRect(408, 352, 73, 25));
}

TEST(Twips, TagAndControlMarkLiveOnTheWidget) {
    QWidget w;
    EXPECT_FALSE(platform::IsControl(&w));
    platform::NameControl(&w, QStringLiteral("cmdX"));
    platform::SetTag(&w, QStringLiteral("提示"));
    EXPECT_TRUE(platform::IsControl(&w));
    EXPECT_EQ(w.objectName(), QStringLiteral("cmdX"));
    EXPECT_EQ(platform::Tag(&w), QStringLiteral("提示"));
}

TEST(OleColor, PlainColoursHoldRedInTheLowByte) {
    EXPECT_EQ(platform::ToColor(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(platform::ToColor(0x0000FF00), QColor(0, 255, 0));
    EXPECT_EQ(platform::ToColor(0x00FF0000), QColor(0, 0, 255));
    EXPECT_EQ(platform::ToColor(0x00123456), QColor(0x56, 0x34, 0x12));
}

TEST(OleColor, SystemColoursComeFromThePalette) {
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Highlight, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Base, QColor(4, 5, 6));
    palette.setColor(QPalette::Active, QPalette::Text, QColor(7, 8, 9));
    palette.setColor(QPalette::Active, QPalette::Button, QColor(10, 11, 12));
    EXPECT_EQ(platform::ToColor(platform::kActiveCaption, palette), QColor(1, 2, 3));
    EXPECT_EQ(platform::ToColor(platform::kWindowBackground, palette), QColor(4, 5, 6));
    EXPECT_EQ(platform::ToColor(platform::kWindowText, palette), QColor(7, 8, 9));
    EXPECT_EQ(platform::ToColor(platform::kButtonFace, palette), QColor(10, 11, 12));
    EXPECT_TRUE(platform::IsSystemColor(0x8000000F));
    EXPECT_FALSE(platform::IsSystemColor(0x00FFFFFF));
}

TEST(Line, SpansFromX1ToX2WithoutTheLastPixel) {
    QWidget form;
    platform::Line line(1360, 2420, 960, &form);
    EXPECT_EQ(line.geometry(), QRect(91, 64, 70, 1));
    platform::Line reversed(7320, 6250, 960, &form);
    EXPECT_EQ(reversed.geometry(), QRect(417, 64, 71, 1));
    EXPECT_TRUE(line.testAttribute(Qt::WA_TransparentForMouseEvents));
}

namespace {

void Put16(QByteArray& b, int v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(QByteArray& b, uint32_t v) {
    Put16(b, static_cast<int>(v & 0xFFFF));
    Put16(b, static_cast<int>(v >> 16));
}

// A 2 x 2 cursor, 32 bits per pixel, hot spot (1, 0), written field by field.
QByteArray TinyCursor(int type = 2) {
    QByteArray b;
    Put16(b, 0);
    Put16(b, type);
    Put16(b, 1);
    b.append(char(2)).append(char(2)).append(char(0)).append(char(0));
    Put16(b, 1);  // hot spot x
    Put16(b, 0);  // hot spot y
    Put32(b, 40 + 16 + 8);
    Put32(b, 22);
    Put32(b, 40);
    Put32(b, 2);
    Put32(b, 4);  // colour and mask rows
    Put16(b, 1);
    Put16(b, 32);
    for (int i = 0; i < 6; ++i)
        Put32(b, 0);
    for (int i = 0; i < 4; ++i)
        Put32(b, 0xFF0000FFu);  // opaque blue
    Put32(b, 0);  // mask rows, 4 bytes each
    Put32(b, 0);
    return b;
}

} // namespace

TEST(CursorFile, ReadsTheImageAndTheHotSpotOfTheFirstEntry) {
    const auto cursor = platform::CursorFromBytes(TinyCursor());
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->hotSpot(), QPoint(1, 0));
    const QImage image = cursor->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 255, 255));
}

TEST(CursorFile, RefusesWhatIsNotACursorFile) {
    EXPECT_FALSE(platform::CursorFromBytes(QByteArray()).has_value());
    EXPECT_FALSE(platform::CursorFromBytes(TinyCursor().left(21)).has_value());
    EXPECT_FALSE(platform::CursorFromBytes(TinyCursor(1)).has_value());  // an icon file
    QByteArray farHotSpot = TinyCursor();
    farHotSpot[10] = 9;  // hot spot outside the 2 x 2 image
    EXPECT_FALSE(platform::CursorFromBytes(farHotSpot).has_value());
    EXPECT_FALSE(platform::CursorFromBytes(QByteArray(platform::kMaxCursorFileBytes + 1, '\0')).has_value());
    EXPECT_FALSE(platform::LoadCursorFile(QStringLiteral("/nonexistent/hand.cur")).has_value());
}

TEST(CheckBox, ValueChangesRaiseClickFromCodeAndFromTheUser) {
    platform::CheckBox box(QStringLiteral("128*128"));
    box.setGeometry(0, 0, 65, 12);
    int clicks = 0;
    QObject::connect(&box, &platform::CheckBox::Click, [&] { ++clicks; });
    EXPECT_EQ(box.Value(), 0);
    box.SetValue(1);
    EXPECT_EQ(box.Value(), 1);
    EXPECT_EQ(clicks, 1);
    box.SetValue(1);  // no change, no Click
    EXPECT_EQ(clicks, 1);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(30, 6));
    EXPECT_EQ(box.Value(), 0);
    EXPECT_EQ(clicks, 2);
    // The box shrinks to the control's height; the caption follows it.
    EXPECT_EQ(box.BoxRect().height(), 12);
    EXPECT_EQ(box.CaptionRect().left(), box.BoxRect().right() + 5);
}
