#include "frmMain.h"

#include "app/AboutPage.h"
#include "app/executables/ExecutablePage.h"
#include "app/pictures/PicturePage.h"
#include "platform/widgets/Control.h"
#include "platform/widgets/NamedComboBoxAccessible.h"
#include "platform/widgets/PageTabAccessible.h"
#include "platform/artwork/Artwork.h"
#include "resources/ProjectInfo.h"

#include <QKeySequence>
#include <QShortcut>

#include <algorithm>
#include <utility>
#include <vector>

using platform::NameControl;
using platform::OleColor;
using platform::Place;
using platform::SetTag;
using platform::Tag;

const QString frmMain::kWelcome = QStringLiteral("欢迎使用Trevalo！");
const QString frmMain::kSelected = QStringLiteral("Selected");
const QString frmMain::kUnselected = QStringLiteral("Unselected");
const QString frmMain::kFileListHint =
    QStringLiteral("请选择一个.EXE文件\n若要批量提取该文件夹中所有.EXE文件的图标请勾选“批量提取”");

namespace {

constexpr int kTimerInterval = 1000;  // ms

// Place of each tab's elements, by tab index; twips.
struct TabPlace {
    const char* caption;
    int labelLeft, shapeLeft, lineX1, lineX2;
};
constexpr std::array<TabPlace, frmMain::kTabs> kTabPlaces = {{
    {"关于...", 6300, 6240, 6250, 7320},
    {"图标转换", 300, 240, 250, 1320},
    {"图标提取", 1410, 1350, 1360, 2420},
}};
constexpr int kSelectedAtStart = 1;
constexpr int kTabLabelTop = 765, kTabLabelWidth = 975, kTabLabelHeight = 195;
constexpr int kTabShapeTop = 720, kTabShapeWidth = 1095, kTabShapeHeight = 975;
constexpr int kTabLineY = 960;

} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent) {
    platform::InstallAccessibleInterfaces();
    state_.Form = this;
    createWindow();
    createTabHeader();
    createControls();
    createPages();
    wireEvents();
    wireHover();
    setFocusOrder();
    createPageKeys();
    nameForAssistiveTechnology();
}

QFont frmMain::WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Sans Serif")});
    font.setPixelSize(12);
    return font;
}

void frmMain::createWindow() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Trevalo"));
    // Fixed single border: no resizing, no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(platform::ToPixels(kClientWidth), platform::ToPixels(kClientHeight));
    setFont(WindowFont());
    setWindowIcon(artwork::ApplicationIcon());
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, platform::ToColor(platform::kButtonFace));
    setPalette(p);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(kTimerInterval);
    state_.Timer = Timer;
    router_ = new platform::MouseMoveRouter(this);
}

// Back to front: the tab shapes, the page panel, the labels (the status line
// among them) and the lines that redraw the panel's top edge under each tab.
void frmMain::createTabHeader() {
    for (int i = 0; i < kTabs; ++i) {
        const bool selected = i == kSelectedAtStart;
        shpTab[i] = new platform::Shape(platform::Shape::Kind::RoundedRectangle, this);
        shpTab[i]->setObjectName(QStringLiteral("shpTab(%1)").arg(i));
        Place(shpTab[i], kTabPlaces[i].shapeLeft, kTabShapeTop, kTabShapeWidth, kTabShapeHeight);
        shpTab[i]->SetBackColor(selected ? platform::kWhite : platform::kButtonFace);
    }
    shpTabMain = new platform::Shape(platform::Shape::Kind::Rectangle, this);
    shpTabMain->setObjectName(QStringLiteral("shpTabMain"));
    shpTabMain->SetBackColor(platform::kButtonFace);
    Place(shpTabMain, 240, 960, 7095, 4215);

    auto makeLabel = [this](int i) {
        const bool selected = i == kSelectedAtStart;
        lblTab[i] = new platform::Label(QString::fromUtf8(kTabPlaces[i].caption), this);
        NameControl(lblTab[i], QStringLiteral("lblTab(%1)").arg(i));
        lblTab[i]->setAlignment(Qt::AlignCenter);
        SetTag(lblTab[i], selected ? kSelected : kUnselected);
        platform::MarkPageTab(lblTab[i], selected);
        lblTab[i]->SetBackColor(selected ? platform::kWhite : platform::kButtonFace);
        Place(lblTab[i], kTabPlaces[i].labelLeft, kTabLabelTop, kTabLabelWidth, kTabLabelHeight);
    };
    makeLabel(1);
    makeLabel(2);
    lblState = new platform::Label(kWelcome, this);
    NameControl(lblState, QStringLiteral("lblState"));
    lblState->setWordWrap(true);
    Place(lblState, 360, 5280, 5610, 420);
    makeLabel(0);

    for (int i : {1, 2, 0}) {
        linTab[i] = new platform::Line(kTabPlaces[i].lineX1, kTabPlaces[i].lineX2, kTabLineY, this);
        linTab[i]->setObjectName(QStringLiteral("linTab(%1)").arg(i));
        linTab[i]->SetBorderColor(i == kSelectedAtStart ? platform::kWhite : platform::kBlack);
    }
}

void frmMain::createControls() {
    picBanner = new platform::PictureBox(platform::PictureBox::Border::None, this);
    NameControl(picBanner, QStringLiteral("picBanner"));
    picBanner->SetBackColor(platform::kWindowBackground);
    picBanner->SetForeColor(platform::kWindowText);
    picBanner->setFocusPolicy(Qt::TabFocus);
    Place(picBanner, 0, 0, 9255, 615);  // wider than the window: clipped at its edge

    cmdExit = new QPushButton(QStringLiteral("退出"), this);
    NameControl(cmdExit, QStringLiteral("cmdExit"));
    SetTag(cmdExit, QStringLiteral("退出Trevalo ^0^"));
    Place(cmdExit, 6120, 5280, 1095, 375);
}

void frmMain::createPages() {
    about = new AboutPage(this);
    pictures = new PicturePage(state_, this);
    executables = new ExecutablePage(state_, this);
    fraTab = {about, pictures, executables};
    for (int i = 0; i < kTabs; ++i) {
        NameControl(fraTab[i], QStringLiteral("fraTab(%1)").arg(i));
        Place(fraTab[i], 360, 1080, 6855, 3975);
        fraTab[i]->setVisible(i == kSelectedAtStart);
    }
    executables->picShowICO->setFocusPolicy(Qt::TabFocus);
}

void frmMain::wireEvents() {
    for (int i = 0; i < kTabs; ++i)
        connect(lblTab[i], &platform::Label::Click, this, [this, i] { lblTab_Click(i); });
    connect(picBanner, &platform::PictureBox::Click, this, &frmMain::picBanner_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
}

void frmMain::wireHover() {
    router_->Wire(this, [this](int X, int Y) { Form_MouseMove(X, Y); });
    for (int i = 0; i < kTabs; ++i)
        router_->Wire(lblTab[i], [this, i](int X, int Y) { lblTab_MouseMove(i, X, Y); });
    const std::vector<QWidget*> hinted = {
        pictures->cmdPIC2ICO, executables->cmdEXE2ICO, cmdExit, pictures->fraPNG2ICOOption,
        pictures->chkSameDirToPNG, executables->chkEXE2ICOAll, pictures->dirPIC, pictures->dirICO,
        executables->dirEXE};
    for (QWidget* ctl : hinted)
        router_->Wire(ctl, [this, ctl](int X, int Y) { HoverStatus(ctl, X, Y); });
    router_->Wire(executables->filEXE, [this](int X, int Y) { filEXE_MouseMove(X, Y); });
}

// Keyboard focus follows each control's place in the focus order; frames and
// labels take no focus, and Qt skips controls on hidden pages.
void frmMain::setFocusOrder() {
    PicturePage* p = pictures;
    ExecutablePage* e = executables;
    std::vector<std::pair<int, QWidget*>> order = {
        {0, p->cmdPIC2ICO},      {1, p->drvPIC},       {2, p->dirPIC},         {3, p->cboPicType},
        {4, p->drvICO},          {5, p->dirICO},       {6, p->chkSameDirToPNG}, {14, e->drvEXE},
        {15, e->dirEXE},         {16, e->filEXE},      {17, e->cmdEXE2ICO},    {18, e->chkEXE2ICOAll},
        {19, cmdExit},           {20, e->picShowICO},  {21, picBanner},        {36, about->txtAbout},
    };
    for (int i = 1; i <= PicturePage::kSizeOptions; ++i)
        order.emplace_back(6 + i, p->chkPNG2ICOOption(i));
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

void frmMain::setTabColors(int Index, OleColor color) {
    lblTab[Index]->SetBackColor(color);
    shpTab[Index]->SetBackColor(color);
}

void frmMain::createPageKeys() {
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        // Shift turns Tab into Backtab before shortcuts see it.
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [key, step] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { SwitchPage(step); });
    }
}

// Names a screen reader speaks: each group after its caption, each list and
// drive box after its group and role, and the status-line hint, where it
// says more than the name, as the description.
void frmMain::nameForAssistiveTechnology() {
    setAccessibleName(QStringLiteral("Trevalo"));
    picBanner->setAccessibleName(QStringLiteral("Trevalo 网站"));
    picBanner->setAccessibleDescription(QStringLiteral("打开 %1").arg(QString::fromLatin1(project::kWebSite)));
    for (int i = 0; i < kTabs; ++i) {
        fraTab[i]->setAccessibleName(lblTab[i]->text());
        shpTab[i]->setAccessibleName(lblTab[i]->text() + QStringLiteral(" 标签底色"));
        linTab[i]->setAccessibleName(lblTab[i]->text() + QStringLiteral(" 标签下边线"));
    }
    shpTabMain->setAccessibleName(QStringLiteral("页面底色"));
    lblState->setAccessibleName(QStringLiteral("状态栏"));
    cmdExit->setAccessibleDescription(Tag(cmdExit));
    executables->filEXE->setAccessibleDescription(kFileListHint);
}
