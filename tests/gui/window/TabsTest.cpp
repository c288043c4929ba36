// Tab clicks: the three tabs' states, colours and pages, and the executable
// list's Click handling that ends every tab click.

#include "WindowFixture.h"

#include "platform/widgets/Control.h"

#include <QTest>

using platform::kActiveCaption;
using platform::kBlack;
using platform::kButtonFace;
using platform::kWhite;

namespace {

void ExpectSelected(frmMain& form, int selected) {
    for (int i = 0; i < frmMain::kTabs; ++i) {
        const bool on = i == selected;
        SCOPED_TRACE(testing::Message() << "tab " << i << ", selected " << selected);
        EXPECT_EQ(form.fraTab[i]->isVisibleTo(&form), on);
        EXPECT_EQ(platform::Tag(form.lblTab[i]), on ? frmMain::kSelected : frmMain::kUnselected);
        EXPECT_EQ(form.lblTab[i]->BackColor(), on ? kWhite : kButtonFace);
        EXPECT_EQ(form.shpTab[i]->BackColor(), on ? kWhite : kButtonFace);
        EXPECT_EQ(form.linTab[i]->BorderColor(), on ? kWhite : kBlack);
    }
}

class TabClickTest : public WindowTest, public testing::WithParamInterface<std::tuple<int, int>> {};

} // namespace

TEST_F(WindowTest, TabOneIsSelectedAtStart) {
    ExpectSelected(*form, 1);
}

TEST_P(TabClickTest, ClickSelectsThatTabFromAnyState) {
    const auto [from, to] = GetParam();
    form->lblTab_Click(from);
    form->lblTab_MouseMove(to, 0, 0);  // a hover colour that the click must clear
    form->lblTab_Click(to);
    ExpectSelected(*form, to);
}

INSTANTIATE_TEST_SUITE_P(AllTabs, TabClickTest,
                         testing::Combine(testing::Values(0, 1, 2), /*to=*/testing::Values(0, 1, 2)));

TEST_F(WindowTest, PointerClickOnATabLabelSwitchesPages) {
    Show();
    QTest::mouseClick(form->lblTab[2], Qt::LeftButton);
    ExpectSelected(*form, 2);
    EXPECT_TRUE(form->executables->filEXE->isVisible());
    EXPECT_FALSE(form->pictures->dirPIC->isVisible());
    QTest::mouseClick(form->lblTab[0], Qt::LeftButton);
    ExpectSelected(*form, 0);
    EXPECT_TRUE(form->about->txtAbout->isVisible());
}

TEST_F(WindowTest, SelectedTabLineJoinsItsTopToThePanel) {
    form->lblTab_Click(0);
    const QImage shot = form->grab().toImage();
    EXPECT_EQ(shot.pixelColor(450, 64), QColor(Qt::white));  // under tab 0, now selected
    EXPECT_EQ(shot.pixelColor(50, 64), QColor(Qt::black));   // under tab 1
    EXPECT_EQ(shot.pixelColor(418, 58), QColor(Qt::white));  // tab 0's top
    EXPECT_EQ(shot.pixelColor(18, 58), platform::ToColor(kButtonFace));
}

TEST_F(WindowTest, EveryTabClickEndsWithTheExecutableListsClickHandling) {
    platform::FileListBox* files = form->executables->filEXE;
    ASSERT_EQ(files->ListIndex(), 0);  // selected at start-up
    // Batch mode with a highlighted entry: the list's Click handling removes
    // the highlight, so a tab click shows whether it ran.
    form->executables->chkEXE2ICOAll->setChecked(true);
    for (int tab : {0, 1, 2}) {
        ASSERT_TRUE(files->SetSelected(1, false));
        {
            const QSignalBlocker quiet(files);  // highlight without the Click
            ASSERT_TRUE(files->SetSelected(1, true));
        }
        ASSERT_EQ(files->ListIndex(), 1);
        QImage mark(4, 4, QImage::Format_ARGB32);
        mark.fill(Qt::red);
        form->executables->picShowICO->DrawImage(2, 2, mark);
        form->lblTab_Click(tab);
        EXPECT_EQ(files->ListIndex(), -1) << tab;
        // The preview was cleared to its background.
        const QImage preview = form->executables->picShowICO->Snapshot();
        EXPECT_EQ(preview.pixelColor(3, 3), platform::ToColor(platform::kWindowBackground)) << tab;
    }
}

TEST_F(WindowTest, HoverColourStaysUntilTheBareSurfaceOrATabClick) {
    form->lblTab_MouseMove(0, 100, 100);
    EXPECT_EQ(form->lblTab[0]->BackColor(), kActiveCaption);
    EXPECT_EQ(form->shpTab[0]->BackColor(), kActiveCaption);
    EXPECT_EQ(form->linTab[0]->BorderColor(), kBlack);  // the line is not touched
    form->lblTab_MouseMove(1, 0, 0);                     // also on the selected tab
    EXPECT_EQ(form->lblTab[1]->BackColor(), kActiveCaption);
    EXPECT_EQ(form->linTab[1]->BorderColor(), kWhite);

    form->Form_MouseMove(5000, 300);
    EXPECT_EQ(form->lblTab[0]->BackColor(), kButtonFace);
    EXPECT_EQ(form->shpTab[0]->BackColor(), kButtonFace);
    EXPECT_EQ(form->lblTab[1]->BackColor(), kWhite);
    EXPECT_EQ(form->shpTab[1]->BackColor(), kWhite);
}

TEST_F(WindowTest, SurfaceResetComparesTheTabStateExactly) {
    // Any state text other than exactly "Unselected" counts as selected.
    platform::SetTag(form->lblTab[2], QStringLiteral("unselected"));
    platform::SetTag(form->lblTab[0], QString());
    form->Form_MouseMove(0, 0);
    EXPECT_EQ(form->lblTab[2]->BackColor(), kWhite);
    EXPECT_EQ(form->shpTab[0]->BackColor(), kWhite);
}

// The page keys, from each selected tab, with the keyboard focus in the
// controls most likely to keep such keys for themselves (lists, the combo
// box, the text box): the tab beside it in the header's order on screen
// (图标转换, 图标提取, 关于...), wrapping round, left exactly as a click
// on that tab leaves it.
TEST_F(WindowTest, PageKeysSwitchTabsInTheHeadersOrderOnScreen) {
    struct Row {
        int from;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int to;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const Row rows[] = {
        {1, Qt::Key_Tab, ctrl, 2},      {2, Qt::Key_Tab, ctrl, 0},      {0, Qt::Key_Tab, ctrl, 1},
        {1, Qt::Key_PageDown, ctrl, 2}, {2, Qt::Key_PageDown, ctrl, 0}, {0, Qt::Key_PageDown, ctrl, 1},
        {1, Qt::Key_Backtab, ctrlShift, 0}, {0, Qt::Key_Backtab, ctrlShift, 2}, {2, Qt::Key_Backtab, ctrlShift, 1},
        {1, Qt::Key_PageUp, ctrl, 0},   {0, Qt::Key_PageUp, ctrl, 2},   {2, Qt::Key_PageUp, ctrl, 1},
    };
    Show();
    for (const Row& row : rows) {
        form->lblTab_Click(row.from);
        QWidget* focus = row.from == 1 ? static_cast<QWidget*>(form->pictures->dirPIC)
                       : row.from == 2 ? static_cast<QWidget*>(form->executables->filEXE)
                                       : static_cast<QWidget*>(form->about->txtAbout);
        focus->setFocus();
        form->lblTab_MouseMove(row.to, 0, 0);  // a hover colour the click handling clears
        QTest::keyClick(focus, row.key, row.modifiers);
        SCOPED_TRACE(testing::Message() << "from " << row.from << " key " << row.key);
        ExpectSelected(*form, row.to);
    }
    // The combo box as well, and the labels never take the focus.
    form->lblTab_Click(1);
    form->pictures->cboPicType->setFocus();
    QTest::keyClick(form->pictures->cboPicType, Qt::Key_PageDown, ctrl);
    ExpectSelected(*form, 2);
    for (platform::Label* label : form->lblTab)
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
}

// A key switch reruns the executable list's Click handling, as a click does
// (batch mode: that handling removes the list's highlight and clears the
// preview), whichever page it shows.
TEST_F(WindowTest, PageKeysRunTheExecutableListsClickHandlingToo) {
    Show();
    auto* files = form->executables->filEXE;
    form->executables->chkEXE2ICOAll->setChecked(true);
    for (const Qt::Key key : {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Tab}) {
        {
            const QSignalBlocker quiet(files);
            ASSERT_TRUE(files->SetSelected(1, true));
        }
        ASSERT_EQ(files->ListIndex(), 1);
        QImage mark(4, 4, QImage::Format_ARGB32);
        mark.fill(Qt::red);
        form->executables->picShowICO->DrawImage(2, 2, mark);
        QTest::keyClick(form->cmdExit, key, Qt::ControlModifier);
        EXPECT_EQ(files->ListIndex(), -1) << key;
        EXPECT_EQ(form->executables->picShowICO->Snapshot().pixelColor(3, 3),
                  platform::ToColor(platform::kWindowBackground)) << key;
    }
}
