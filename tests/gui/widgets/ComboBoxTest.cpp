// The editable combo box: which user actions choose an entry (Click) and
// which leave typed text as typed.

#include "platform/widgets/ComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class ComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        combo = new platform::ComboBox;
        other = new QLineEdit;
        layout->addWidget(combo);
        layout->addWidget(other);
        combo->addItem(QStringLiteral(".PNG格式图片"));
        combo->addItem(QStringLiteral(".BMP格式图片"));
        QObject::connect(combo, &platform::ComboBox::Click, [this] { ++clicks; });
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        combo->setFocus();
    }

    // Types text key by key into the box's text, replacing what was there.
    void Type(const QString& text) {
        combo->lineEdit()->selectAll();
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, combo->lineEdit(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    QWidget window;
    platform::ComboBox* combo = nullptr;
    QLineEdit* other = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(ComboBoxTest, TypedTextEndedWithEnterOrByLeavingIsNoChoice) {
    ASSERT_EQ(combo->currentIndex(), 0);
    Type(QStringLiteral(".BMP格式图片"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Enter);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(combo->currentText(), QStringLiteral(".BMP格式图片"));
    other->setFocus();  // the box loses the focus with an entry's text in it
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(combo->currentText(), QStringLiteral(".BMP格式图片"));
    EXPECT_EQ(combo->count(), 2);  // nothing was added either
}

TEST_F(ComboBoxTest, ArrowKeysTheWheelAndTheListChoose) {
    QTest::keyClick(combo->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(combo->currentText(), QStringLiteral(".BMP格式图片"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Up);
    EXPECT_EQ(clicks, 2);

    const QPoint middle = combo->rect().center();
    QWheelEvent wheel(middle, combo->mapToGlobal(middle), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(combo, &wheel);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(combo->currentIndex(), 1);

    // The mouse picks the first entry from the opened list.
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    const QRect entry = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(combo->currentText(), QStringLiteral(".PNG格式图片"));
}
