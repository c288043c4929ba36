// Hover feedback: the status line's hints with the capture stand-in, the
// tab hover colour through real pointer moves, and the banner link.

#include "WindowFixture.h"

#include "platform/widgets/Control.h"
#include "resources/ProjectInfo.h"

#include <QCoreApplication>
#include <QTest>
#include <QWindow>

using platform::kActiveCaption;
using platform::kButtonFace;

namespace {

struct EdgeCase {
    const char* what;
    int dx, dy;      // twips added to the control's (0, 0) or, with fromFar, to (Width, Height)
    bool fromFar;
    bool inside;
};

class HoverEdgeTest : public WindowTest, public testing::WithParamInterface<EdgeCase> {};

} // namespace

TEST_P(HoverEdgeTest, BothEdgesCountAsInside) {
    const EdgeCase c = GetParam();
    QWidget* ctl = form->cmdExit;
    const int x = (c.fromFar ? platform::WidthTwips(ctl) : 0) + c.dx;
    const int y = (c.fromFar ? platform::HeightTwips(ctl) : 0) + c.dy;
    form->HoverStatus(ctl, x, y);
    EXPECT_EQ(Status(), c.inside ? QStringLiteral("退出Trevalo ^0^") : frmMain::kWelcome);
    EXPECT_EQ(form->Router().Captured(), c.inside ? ctl : nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, HoverEdgeTest,
    testing::Values(EdgeCase{"top left corner", 0, 0, false, true}, EdgeCase{"right and bottom edges", 0, 0, true, true},
                    EdgeCase{"one twip past the right edge", 1, 0, true, false},
                    EdgeCase{"one twip past the bottom edge", 0, 1, true, false},
                    EdgeCase{"one twip left of the left edge", -1, 0, false, false},
                    EdgeCase{"one twip above the top edge", 0, -1, false, false},
                    EdgeCase{"the middle", 500, 150, false, true}),
    [](const testing::TestParamInfo<EdgeCase>& param) {
        std::string name = param.param.what;
        for (char& ch : name)
            if (ch == ' ')
                ch = '_';
        return name;
    });

TEST_F(WindowTest, HintShowsWhileThePointerIsOverAControlAndLeavesAtTheFirstMoveOutside) {
    Show();
    QWidget* button = form->pictures->cmdPIC2ICO;
    MoveTo(At(button, {10, 10}));
    EXPECT_EQ(Status(), QStringLiteral("开始批量转换图片到图标"));
    EXPECT_EQ(form->Router().Captured(), button);
    // One pixel past the last column is X = Width: still inside.
    MoveTo(At(button, {button->width(), button->height()}));
    EXPECT_EQ(Status(), QStringLiteral("开始批量转换图片到图标"));
    MoveTo(At(button, {button->width() + 1, 5}));
    EXPECT_EQ(Status(), frmMain::kWelcome);
    EXPECT_EQ(form->Router().Captured(), nullptr);
}

TEST_F(WindowTest, TheCapturingControlTakesTheMoveThatLeavesIt) {
    Show();
    MoveTo(At(form->lblTab[0], {5, 5}));
    EXPECT_EQ(form->lblTab[0]->BackColor(), kActiveCaption);
    MoveTo(At(form->pictures->cmdPIC2ICO, {10, 10}));
    // Out onto the bare surface: this move goes to the button, which leaves
    // the tab's hover colour alone; the next one reaches the surface.
    MoveTo({8, 200});
    EXPECT_EQ(Status(), frmMain::kWelcome);
    EXPECT_EQ(form->lblTab[0]->BackColor(), kActiveCaption);
    MoveTo({8, 210});
    EXPECT_EQ(form->lblTab[0]->BackColor(), kButtonFace);
    EXPECT_EQ(form->shpTab[0]->BackColor(), kButtonFace);
    EXPECT_EQ(form->lblTab[1]->BackColor(), platform::kWhite);
}

TEST_F(WindowTest, FrameHintStaysOverItsChildrenAndTheirClicksStillWork) {
    Show();
    platform::Frame* frame = form->pictures->fraPNG2ICOOption;
    QCheckBox* box = form->pictures->chkPNG2ICOOption(3);
    MoveTo(At(frame, {frame->width() - 4, frame->height() - 4}));
    EXPECT_EQ(Status(), QStringLiteral("设置图标所要包含的大小格式"));
    MoveTo(At(box, {10, 8}));
    EXPECT_EQ(Status(), QStringLiteral("设置图标所要包含的大小格式"));
    EXPECT_EQ(form->Router().Captured(), frame);
    QTest::mouseClick(box, Qt::LeftButton, {}, {10, 8});
    EXPECT_FALSE(box->isChecked());
    MoveTo(At(frame, {-3, 20}));
    EXPECT_EQ(Status(), frmMain::kWelcome);
}

TEST_F(WindowTest, ControlsWithoutAHintTakeTheirOwnMoves) {
    Show();
    // Straight onto a size box, never crossing its frame: the box has no
    // hint, so nothing changes.
    QCheckBox* box = form->pictures->chkPNG2ICOOption(5);
    EXPECT_EQ(form->Router().ControlAt(At(box, {3, 3})), box);
    MoveTo(At(box, {3, 3}));
    EXPECT_EQ(Status(), frmMain::kWelcome);
    EXPECT_EQ(form->Router().Captured(), nullptr);
    // Shapes and lines pass the pointer on to the window's surface.
    EXPECT_EQ(form->Router().ControlAt({18, 58}), form.get());
    EXPECT_EQ(form->Router().ControlAt({50, 64}), form.get());
    EXPECT_EQ(form->Router().ControlAt(At(form->lblTab[2], {1, 1})), form->lblTab[2]);
}

TEST_F(WindowTest, DisabledControlsAndHiddenPagesGetNoMoves) {
    Show();
    form->pictures->dirICO->setEnabled(false);
    MoveTo(At(form->pictures->dirICO, {20, 20}));
    EXPECT_EQ(Status(), frmMain::kWelcome);
    EXPECT_EQ(form->Router().ControlAt(At(form->pictures->dirICO, {20, 20})), form->pictures->fraICO);
    // Where page 2 has its extract button, page 1 shows a bare frame.
    MoveTo({420, 118});
    EXPECT_EQ(Status(), frmMain::kWelcome);
    form->lblTab_Click(2);
    MoveTo({421, 118});
    EXPECT_EQ(Status(), QStringLiteral("提取.EXE文件中的图标并保存在当前文件夹中"));
}

TEST_F(WindowTest, FileListShowsTheTwoLineHint) {
    Show();
    form->lblTab_Click(2);
    MoveTo(At(form->executables->filEXE, {30, 100}));
    const QString hint =
        QStringLiteral("请选择一个.EXE文件\n若要批量提取该文件夹中所有.EXE文件的图标请勾选“批量提取”");
    EXPECT_EQ(Status(), hint);
    EXPECT_EQ(platform::Tag(form->executables->filEXE), hint);
    EXPECT_EQ(form->lblState->DrawnLines(),
              (QStringList{QStringLiteral("请选择一个.EXE文件"),
                           QStringLiteral("若要批量提取该文件夹中所有.EXE文件的图标请勾选“批量提取”")}));
}

TEST_F(WindowTest, LeavingTheWindowBringsBackTheWelcomeText) {
    Show();
    MoveTo(At(form->cmdExit, {5, 5}));
    ASSERT_EQ(Status(), QStringLiteral("退出Trevalo ^0^"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(form->windowHandle(), &leave);
    EXPECT_EQ(Status(), frmMain::kWelcome);
    EXPECT_EQ(form->Router().Captured(), nullptr);
}

TEST_F(WindowTest, DisabledWindowTakesNoPointerMoves) {
    Show();
    form->setEnabled(false);
    MoveTo(At(form->cmdExit, {5, 5}));
    EXPECT_EQ(Status(), frmMain::kWelcome);
    form->setEnabled(true);
    MoveTo(At(form->cmdExit, {6, 6}));
    EXPECT_EQ(Status(), QStringLiteral("退出Trevalo ^0^"));
}

TEST_F(WindowTest, BannerClickOpensTheWebSite) {
    Show();
    QTest::mouseClick(form->picBanner, Qt::LeftButton, {}, {100, 20});
    EXPECT_EQ(openedUrls, std::vector<QString>{QString::fromLatin1(project::kWebSite)});
    EXPECT_TRUE(messages.empty());
}
