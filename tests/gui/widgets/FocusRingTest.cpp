// The focus ring of the controls whose style shows no focus of its own.

#include "platform/widgets/FileListBox.h"
#include "platform/widgets/PictureBox.h"

#include "TestSupport.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FocusRingTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(200, 120);
        other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // The window's pixels, as the user sees them, with and without the
    // focus on `control`.
    std::pair<QImage, QImage> FocusedAndNot(QWidget* control) {
        other->setFocus();
        QApplication::processEvents();
        const QImage without = window.grab().toImage();
        control->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(control->hasFocus());
        return {window.grab().toImage(), without};
    }

    QWidget window;
    QWidget* other = nullptr;
};

} // namespace

// An empty list has no entry to mark: the ring on its frame shows the focus.
TEST_F(FocusRingTest, AnEmptyFileListShowsTheFocus) {
    testsupport::TempDir empty;
    auto* list = new platform::FileListBox(&window);
    ASSERT_TRUE(list->SetPath(QString::fromStdString(empty.path().string())));
    ASSERT_EQ(list->ListCount(), 0);
    list->setGeometry(10, 10, 80, 60);
    list->show();
    const auto [focused, unfocused] = FocusedAndNot(list);
    const QColor highlight = list->palette().color(QPalette::Highlight);
    EXPECT_EQ(focused.pixelColor(50, 10), highlight);
    EXPECT_NE(unfocused.pixelColor(50, 10), highlight);
}

// A box wider than its container (the banner) draws its ring where the
// container cuts it off, not beyond, where nobody would see it.
TEST_F(FocusRingTest, APictureBoxCutOffByItsContainerRingsTheVisiblePart) {
    auto* banner = new platform::PictureBox(platform::PictureBox::Border::None, &window);
    banner->setFocusPolicy(Qt::TabFocus);
    banner->SetBackColor(0x00FF0000);  // blue, as the banner
    banner->setGeometry(0, 0, 300, 40);
    banner->show();
    const auto [focused, unfocused] = FocusedAndNot(banner);
    const QColor highlight = banner->palette().color(QPalette::Highlight);
    const QColor inner = banner->palette().color(QPalette::HighlightedText);
    const int right = window.width() - 1;
    EXPECT_EQ(focused.pixelColor(right, 20), highlight);
    EXPECT_EQ(focused.pixelColor(right - 1, 20), inner);
    EXPECT_EQ(focused.pixelColor(0, 20), highlight);
    EXPECT_EQ(focused.pixelColor(100, 39), highlight);
    EXPECT_EQ(focused.pixelColor(100, 20), QColor(0, 0, 255));
    EXPECT_EQ(unfocused.pixelColor(right, 20), QColor(0, 0, 255));
}
