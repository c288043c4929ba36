// The window model: controls with their containers, places, captions, hints,
// initial state, drawing order and keyboard focus order.

#include "WindowFixture.h"

#include "platform/widgets/CheckBox.h"
#include "platform/widgets/Control.h"
#include "platform/widgets/Label.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QTest>

#include <algorithm>

namespace {

struct Placed {
    const char* name;
    const char* container;
    QRect pixels;
};

// Places in pixels: the twips of the window model divided by 15.
const Placed kPlaces[] = {
    {"picBanner", "frmMain", {0, 0, 617, 41}},
    {"shpTab(1)", "frmMain", {16, 48, 73, 65}},
    {"shpTab(2)", "frmMain", {90, 48, 73, 65}},
    {"shpTab(0)", "frmMain", {416, 48, 73, 65}},
    {"lblTab(1)", "frmMain", {20, 51, 65, 13}},
    {"lblTab(2)", "frmMain", {94, 51, 65, 13}},
    {"lblTab(0)", "frmMain", {420, 51, 65, 13}},
    {"linTab(1)", "frmMain", {17, 64, 71, 1}},
    {"linTab(2)", "frmMain", {91, 64, 70, 1}},
    {"linTab(0)", "frmMain", {417, 64, 71, 1}},
    {"shpTabMain", "frmMain", {16, 64, 473, 281}},
    {"fraTab(0)", "frmMain", {24, 72, 457, 265}},
    {"fraTab(1)", "frmMain", {24, 72, 457, 265}},
    {"fraTab(2)", "frmMain", {24, 72, 457, 265}},
    {"lblState", "frmMain", {24, 352, 374, 28}},
    {"cmdExit", "frmMain", {408, 352, 73, 25}},
    {"fraPIC", "fraTab(1)", {0, 0, 185, 265}},
    {"drvPIC", "fraPIC", {16, 24, 153, 20}},
    {"dirPIC", "fraPIC", {16, 48, 153, 174}},
    {"cboPicType", "fraPIC", {16, 232, 153, 20}},
    {"cmdPIC2ICO", "fraTab(1)", {192, 24, 73, 25}},
    {"fraPNG2ICOOption", "fraTab(1)", {184, 56, 89, 137}},
    {"chkPNG2ICOOption(1)", "fraPNG2ICOOption", {16, 16, 65, 17}},
    {"chkPNG2ICOOption(4)", "fraPNG2ICOOption", {16, 64, 65, 17}},
    {"chkPNG2ICOOption(5)", "fraPNG2ICOOption", {16, 80, 65, 12}},
    {"chkPNG2ICOOption(7)", "fraPNG2ICOOption", {16, 112, 65, 12}},
    {"fraICO", "fraTab(1)", {272, 0, 185, 265}},
    {"drvICO", "fraICO", {16, 24, 153, 20}},
    {"dirICO", "fraICO", {16, 48, 153, 188}},
    {"chkSameDirToPNG", "fraICO", {16, 240, 153, 17}},
    {"lblPIC2ICO", "fraTab(1)", {192, 200, 73, 49}},
    {"drvEXE", "fraTab(2)", {16, 24, 153, 20}},
    {"dirEXE", "fraTab(2)", {16, 48, 153, 202}},
    {"filEXE", "fraTab(2)", {184, 24, 153, 222}},
    {"cmdEXE2ICO", "fraTab(2)", {360, 24, 73, 25}},
    {"chkEXE2ICOAll", "fraTab(2)", {360, 56, 73, 17}},
    {"lblEXE2ICO_1", "fraTab(2)", {372, 96, 48, 12}},
    {"picShowICO", "fraTab(2)", {376, 112, 39, 39}},
    {"lblEXE2ICO_2", "fraTab(2)", {352, 176, 36, 12}},
    {"lblEXE2ICO_3", "fraTab(2)", {352, 192, 89, 57}},
    {"txtAbout", "fraTab(0)", {24, 24, 409, 225}},
};

struct Captioned {
    const char* name;
    const char* caption;
    const char* tag;
};

const Captioned kCaptions[] = {
    {"lblTab(1)", "图标转换", "Selected"},
    {"lblTab(2)", "图标提取", "Unselected"},
    {"lblTab(0)", "关于...", "Unselected"},
    {"fraTab(1)", "Frame1", ""},
    {"fraTab(2)", "从EXE中提取图标", ""},
    {"fraTab(0)", "关于 Trevalo", ""},
    {"fraPIC", "图片来自...", ""},
    {"dirPIC", "", "选择一个含有.PNG或.BMP图片的文件夹"},
    {"cmdPIC2ICO", "开始转换", "开始批量转换图片到图标"},
    {"fraPNG2ICOOption", "PNG→ICO选项", "设置图标所要包含的大小格式"},
    {"chkPNG2ICOOption(1)", "16*16", ""},
    {"chkPNG2ICOOption(2)", "32*32", ""},
    {"chkPNG2ICOOption(3)", "48*48", ""},
    {"chkPNG2ICOOption(4)", "64*64", ""},
    {"chkPNG2ICOOption(5)", "72*72", ""},
    {"chkPNG2ICOOption(6)", "96*96", ""},
    {"chkPNG2ICOOption(7)", "128*128", ""},
    {"fraICO", "图标保存到...", ""},
    {"dirICO", "", "设置一个文件夹来保存图标"},
    {"chkSameDirToPNG", "与源图片同文件夹", "将图标保存到源图片文件夹中"},
    {"lblPIC2ICO", "由.PNG图片转换得到的图标是32位Alpha 通道图标。", ""},
    {"dirEXE", "", "选择一个含有.EXE文件的文件夹"},
    {"filEXE", "", "请选择一个.EXE文件  若要批量提取该文件夹中所有.EXE文件的图标请勾选“批量提取"},
    {"cmdEXE2ICO", "开始提取", "提取.EXE文件中的图标并保存在当前文件夹中"},
    {"chkEXE2ICOAll", "批量提取", "批量提取当前文件夹中的所有.EXE文件的图标"},
    {"lblEXE2ICO_1", "图标预览", ""},
    {"lblEXE2ICO_2", "提示：", ""},
    {"lblEXE2ICO_3", "提取得到的图标文件将保存在原.EXE文件所在文件夹。", ""},
    {"cmdExit", "退出", "退出Trevalo ^0^"},
    {"lblState", "欢迎使用Trevalo！", ""},
};

QString CaptionOf(const QWidget* w) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(w))
        return frame->title();
    return QString();
}

} // namespace

TEST_F(WindowTest, WindowIsAFixedCaptionedClientAreaWithTheApplicationIcon) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Trevalo"));
    EXPECT_EQ(form->size(), QSize(505, 385));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    const QList<QSize> sizes = form->windowIcon().availableSizes();
    for (int edge : {16, 24, 32, 48})
        EXPECT_TRUE(sizes.contains(QSize(edge, edge))) << edge;
}

TEST_F(WindowTest, WindowIsCentredWhenFirstShown) {
    Show();
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE(std::abs(form->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form->frameGeometry().center().y() - screen.center().y()), 1);
}

TEST_F(WindowTest, EveryControlSitsInItsContainerAtItsPlace) {
    for (const Placed& p : kPlaces) {
        const auto* w = form->findChild<QWidget*>(QString::fromLatin1(p.name));
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(p.container)) << p.name;
        EXPECT_EQ(w->geometry(), p.pixels) << p.name;
    }
    EXPECT_EQ(form->pictures->chkPNG2ICOOption(0), nullptr);  // the size boxes count from 1
    EXPECT_EQ(form->pictures->chkPNG2ICOOption(8), nullptr);
    EXPECT_EQ(form->Timer->objectName(), QStringLiteral("Timer"));
}

TEST_F(WindowTest, CaptionsAndHintsAreExact) {
    for (const Captioned& c : kCaptions) {
        const auto* w = form->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(CaptionOf(w), QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(platform::Tag(w), QString::fromUtf8(c.tag)) << c.name;
    }
    const QComboBox* type = form->pictures->cboPicType;
    ASSERT_EQ(type->count(), 2);
    EXPECT_EQ(type->itemText(0), QStringLiteral(".PNG格式图片"));
    EXPECT_EQ(type->itemText(1), QStringLiteral(".BMP格式图片"));
    EXPECT_TRUE(type->isEditable());
    EXPECT_EQ(form->executables->filEXE->Pattern(), QStringLiteral("*.exe"));
}

TEST_F(WindowTest, SingleLineCaptionsFitTheirControls) {
    for (QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        const auto* check = qobject_cast<platform::CheckBox*>(button);
        const QRect room = check ? check->CaptionRect() : button->rect().adjusted(4, 0, -4, 0);
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), room.width())
            << button->objectName().toStdString();
        if (check) {
            EXPECT_LE(check->BoxRect().height(), check->height()) << button->objectName().toStdString();
        }
    }
    for (platform::Label* label : form->findChildren<platform::Label*>()) {
        if (!label->wordWrap()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->objectName().toStdString();
        }
    }
    for (QGroupBox* frame : form->findChildren<QGroupBox*>())
        EXPECT_LE(frame->fontMetrics().horizontalAdvance(frame->title()), frame->width() - 8)
            << frame->objectName().toStdString();
}

// The size boxes are 17 and 12 pixels high, yet the user sees seven equal
// boxes with their captions at one distance: given one caption, each draws
// the same pixels along its box.
TEST_F(WindowTest, TheSevenSizeBoxesLookAlikeWhateverTheirHeight) {
    Show();
    PicturePage* p = form->pictures;
    ASSERT_EQ(p->chkPNG2ICOOption(4)->height(), 17);
    ASSERT_EQ(p->chkPNG2ICOOption(5)->height(), 12);
    auto band = [p](int Index) {
        platform::CheckBox* box = p->chkPNG2ICOOption(Index);
        box->setText(QStringLiteral("128*128"));
        const QImage shot = box->grab().toImage();
        return shot.copy(0, box->BoxRect().top(), shot.width(), platform::CheckBox::kBoxSide);
    };
    const QImage first = band(1);
    for (int Index = 2; Index <= PicturePage::kSizeOptions; ++Index)
        EXPECT_EQ(band(Index), first) << "chkPNG2ICOOption(" << Index << ")";
    // Ticked and unticked still differ there: the band holds the box.
    p->chkPNG2ICOOption(7)->SetValue(0);
    EXPECT_NE(band(7), first);
}

TEST_F(WindowTest, InitialStateAfterStartUp) {
    EXPECT_FALSE(form->fraTab[0]->isVisibleTo(form.get()));
    EXPECT_TRUE(form->fraTab[1]->isVisibleTo(form.get()));
    EXPECT_FALSE(form->fraTab[2]->isVisibleTo(form.get()));
    for (int i = 1; i <= PicturePage::kSizeOptions; ++i) {
        EXPECT_TRUE(form->pictures->chkPNG2ICOOption(i)->isChecked()) << i;
        EXPECT_TRUE(form->pictures->chkPNG2ICOOption(i)->isEnabled()) << i;
    }
    EXPECT_FALSE(form->pictures->chkSameDirToPNG->isChecked());
    EXPECT_FALSE(form->executables->chkEXE2ICOAll->isChecked());
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(form->Timer->interval(), 1000);
    EXPECT_EQ(form->lblState->text(), frmMain::kWelcome);
    EXPECT_EQ(form->pictures->cboPicType->currentText(), QStringLiteral(".PNG格式图片"));
    EXPECT_EQ(form->State().ImageList.Count(), 0);
    // The lists start at the current folder.
    const QString here = QDir::currentPath();
    EXPECT_EQ(form->pictures->dirPIC->Path(), here);
    EXPECT_EQ(form->pictures->dirICO->Path(), here);
    EXPECT_EQ(form->executables->dirEXE->Path(), here);
    EXPECT_EQ(form->executables->filEXE->Path(), here);
    const QString drive = platform::VolumeRootOf(here, platform::MountedVolumes());
    EXPECT_EQ(form->pictures->drvPIC->Drive(), drive);
    EXPECT_EQ(form->pictures->drvICO->Drive(), drive);
    EXPECT_EQ(form->executables->drvEXE->Drive(), drive);
    // The preview box and the banner take the window background colour.
    EXPECT_EQ(form->executables->picShowICO->BackColor(), platform::kWindowBackground);
    EXPECT_EQ(form->picBanner->BackColor(), platform::kWindowBackground);
}

TEST_F(WindowTest, TabHeaderIsDrawnBackToFrontUnderEveryWindowedControl) {
    const QObjectList children = form->children();
    auto rank = [&](const char* name) {
        const QObject* w = form->findChild<QObject*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
        return children.indexOf(const_cast<QObject*>(w));
    };
    const char* order[] = {"shpTab(0)", "shpTab(1)", "shpTab(2)", "shpTabMain", "lblTab(1)", "lblTab(2)",
                           "lblState",  "lblTab(0)", "linTab(1)", "linTab(2)", "linTab(0)"};
    for (size_t i = 1; i < std::size(order); ++i)
        EXPECT_LT(rank(order[i - 1]), rank(order[i])) << order[i - 1] << " / " << order[i];
    for (const char* windowed : {"picBanner", "fraTab(0)", "fraTab(1)", "fraTab(2)", "cmdExit"})
        EXPECT_GT(rank(windowed), rank("linTab(0)")) << windowed;
}

TEST_F(WindowTest, EachTabShowsAsARoundedTopStandingOnThePanel) {
    const QImage shot = form->grab().toImage();
    const QColor white(Qt::white);
    const QColor face = platform::ToColor(platform::kButtonFace);
    const QColor text = platform::ToColor(platform::kWindowText);
    const QColor black(Qt::black);
    // The panel's top edge: white under the selected tab 1, black under the
    // unselected tab 2 and elsewhere.
    EXPECT_EQ(shot.pixelColor(50, 64), white);
    EXPECT_EQ(shot.pixelColor(120, 64), black);
    EXPECT_EQ(shot.pixelColor(300, 64), text);
    // Inside each tab's top, beside its label: the shape's fill.
    EXPECT_EQ(shot.pixelColor(18, 58), white);
    EXPECT_EQ(shot.pixelColor(92, 58), face);
    EXPECT_EQ(shot.pixelColor(418, 58), face);
    // The tab's side border, and the window surface between tabs 2 and 0.
    EXPECT_EQ(shot.pixelColor(16, 58), text);
    EXPECT_EQ(shot.pixelColor(300, 58), face);
    // The panel hides the lower part of the rounded shapes.
    EXPECT_EQ(shot.pixelColor(18, 68), face);
}

TEST_F(WindowTest, KeyboardFocusFollowsTheFocusOrderOverTheVisiblePage) {
    Show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto focused = [] {
        QWidget* w = QApplication::focusWidget();
        while (w && !platform::IsControl(w))
            w = w->parentWidget();
        return w ? w->objectName() : QString();
    };
    auto walk = [&](int steps) {
        QStringList seen{focused()};
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << focused();
        }
        return seen.join(QLatin1Char(' ')).toStdString();
    };
    EXPECT_EQ(walk(16),
              "cmdPIC2ICO drvPIC dirPIC cboPicType drvICO dirICO chkSameDirToPNG chkPNG2ICOOption(1) "
              "chkPNG2ICOOption(2) chkPNG2ICOOption(3) chkPNG2ICOOption(4) chkPNG2ICOOption(5) "
              "chkPNG2ICOOption(6) chkPNG2ICOOption(7) cmdExit picBanner cmdPIC2ICO");
    form->lblTab_Click(2);
    form->executables->drvEXE->setFocus();
    EXPECT_EQ(walk(8), "drvEXE dirEXE filEXE cmdEXE2ICO chkEXE2ICOAll cmdExit picShowICO picBanner drvEXE");
    form->lblTab_Click(0);
    form->cmdExit->setFocus();
    EXPECT_EQ(walk(3), "cmdExit picBanner txtAbout cmdExit");
}
