// Keyboard focus as the user sees it: every control the Tab key reaches
// looks different while it holds the focus, on each page.

#include "WindowFixture.h"

#include "platform/widgets/Control.h"

#include <QApplication>
#include <QTest>

#include <map>

namespace {

// The control (not its inner part) that holds the focus.
QWidget* FocusedControl() {
    QWidget* w = QApplication::focusWidget();
    while (w && !platform::IsControl(w))
        w = w->parentWidget();
    return w;
}

} // namespace

class FocusTest : public WindowTest {
protected:
    // What the window shows where `control` is: clipped as the window clips
    // it (the banner is wider than the window).
    QImage Seen(QWidget* control) {
        QApplication::processEvents();
        return form->grab(QRect(control->mapTo(form.get(), QPoint(0, 0)), control->size())).toImage();
    }

    // Walks the focus chain of the shown page once round with the Tab key
    // and names every control whose look does not change with the focus.
    std::string ControlsWithoutFocusLook(int steps) {
        std::map<QWidget*, QImage> focused;
        std::map<QWidget*, QImage> unfocused;
        QWidget* previous = FocusedControl();
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* current = FocusedControl();
            if (!current)
                return "focus lost";
            unfocused[previous] = Seen(previous);
            focused[current] = Seen(current);
            previous = current;
        }
        std::string unchanged;
        for (const auto& [control, look] : focused) {
            if (unfocused.count(control) && unfocused[control] == look)
                unchanged += control->objectName().toStdString() + " ";
        }
        return unchanged;
    }
};

TEST_F(FocusTest, EveryControlTheTabKeyReachesShowsItHasTheFocus) {
    Show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // Page 1 holds 16 stops, page 2 eight, page 0 three; one more to come
    // round to the first again.
    EXPECT_EQ(ControlsWithoutFocusLook(17), "");
    form->lblTab_Click(2);
    form->executables->drvEXE->setFocus();
    EXPECT_EQ(ControlsWithoutFocusLook(9), "");
    form->lblTab_Click(0);
    form->cmdExit->setFocus();
    EXPECT_EQ(ControlsWithoutFocusLook(4), "");
}
