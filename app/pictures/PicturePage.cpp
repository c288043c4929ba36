#include "PicturePage.h"

#include "app/SharedState.h"
#include "app/pictures/PngJob.h"
#include "platform/widgets/Control.h"

#include <QTimer>

using platform::NameControl;
using platform::Place;
using platform::SetTag;

const QString PicturePage::kPngType = QStringLiteral(".PNG格式图片");
const QString PicturePage::kBmpType = QStringLiteral(".BMP格式图片");
const QString PicturePage::kIdleCaption = QStringLiteral("开始转换");
const QString PicturePage::kBusyCaption = QStringLiteral("转换中...");

PicturePage::PicturePage(SharedState& state, QWidget* parent)
    : platform::Frame(QStringLiteral("Frame1"), parent),
      state_(state),
      converterSource_(QStringLiteral(":/RESEXE/101")) {
    createSourceFrame();
    createButtonAndNote();
    createSizeOptions();
    createTargetFrame();
    wireEvents();
    nameForAssistiveTechnology();
}

// Groups by their captions, lists and drive boxes by their group and role;
// the status-line hints become descriptions.
void PicturePage::nameForAssistiveTechnology() {
    for (platform::Frame* group : {fraPIC, fraPNG2ICOOption, fraICO})
        group->setAccessibleName(group->title());
    drvPIC->setAccessibleName(fraPIC->title() + QStringLiteral(" 驱动器"));
    dirPIC->setAccessibleName(fraPIC->title() + QStringLiteral(" 文件夹"));
    cboPicType->setAccessibleName(QStringLiteral("图片类型"));
    drvICO->setAccessibleName(fraICO->title() + QStringLiteral(" 驱动器"));
    dirICO->setAccessibleName(fraICO->title() + QStringLiteral(" 文件夹"));
    for (QWidget* hinted : std::initializer_list<QWidget*>{dirPIC, dirICO, cmdPIC2ICO, fraPNG2ICOOption, chkSameDirToPNG})
        hinted->setAccessibleDescription(platform::Tag(hinted));
}

PicturePage::~PicturePage() = default;

// dirICO has no handler: a target folder change concerns nobody.
void PicturePage::wireEvents() {
    connect(cboPicType, &platform::ComboBox::Click, this, &PicturePage::cboPicType_Click);
    connect(drvPIC, &platform::DriveListBox::Change, this, &PicturePage::drvPIC_Change);
    connect(dirPIC, &platform::DirListBox::Change, this, &PicturePage::dirPIC_Change);
    connect(drvICO, &platform::DriveListBox::Change, this, &PicturePage::drvICO_Change);
    connect(chkSameDirToPNG, &platform::CheckBox::Click, this, &PicturePage::chkSameDirToPNG_Click);
    connect(cmdPIC2ICO, &QPushButton::clicked, this, &PicturePage::cmdPIC2ICO_Click);
    if (state_.Timer)
        connect(state_.Timer, &QTimer::timeout, this, &PicturePage::Timer_Timer);
}

void PicturePage::cmdPIC2ICO_Click() {
    const QString type = cboPicType->currentText();
    if (type == kBmpType)
        BatchBMP2ICO();
    else if (type == kPngType)
        BatchPNG2ICO();
}

// A long run locks the whole window and says so on the start button.
void PicturePage::setBusy(bool busy) {
    if (state_.Form)
        state_.Form->setEnabled(!busy);
    cmdPIC2ICO->setText(busy ? kBusyCaption : kIdleCaption);
}

platform::CheckBox* PicturePage::chkPNG2ICOOption(int Index) const {
    return (Index >= 1 && Index <= kSizeOptions) ? sizeOptions_[static_cast<size_t>(Index - 1)] : nullptr;
}

void PicturePage::createSourceFrame() {
    fraPIC = new platform::Frame(QStringLiteral("图片来自..."), this);
    NameControl(fraPIC, QStringLiteral("fraPIC"));
    Place(fraPIC, 0, 0, 2775, 3975);

    drvPIC = new platform::DriveListBox(fraPIC);
    NameControl(drvPIC, QStringLiteral("drvPIC"));
    Place(drvPIC, 240, 360, 2295, 300);

    dirPIC = new platform::DirListBox(fraPIC);
    NameControl(dirPIC, QStringLiteral("dirPIC"));
    SetTag(dirPIC, QStringLiteral("选择一个含有.PNG或.BMP图片的文件夹"));
    Place(dirPIC, 240, 720, 2295, 2610);

    cboPicType = new platform::ComboBox(fraPIC);
    NameControl(cboPicType, QStringLiteral("cboPicType"));
    cboPicType->addItem(QStringLiteral(".PNG格式图片"));
    cboPicType->addItem(QStringLiteral(".BMP格式图片"));
    cboPicType->setCurrentIndex(-1);  // the text is set at start-up
    Place(cboPicType, 240, 3480, 2295, 300);
}

void PicturePage::createButtonAndNote() {
    cmdPIC2ICO = new QPushButton(QStringLiteral("开始转换"), this);
    NameControl(cmdPIC2ICO, QStringLiteral("cmdPIC2ICO"));
    SetTag(cmdPIC2ICO, QStringLiteral("开始批量转换图片到图标"));
    Place(cmdPIC2ICO, 2880, 360, 1095, 375);

    lblPIC2ICO = new platform::Label(QStringLiteral("由.PNG图片转换得到的图标是32位Alpha 通道图标。"), this);
    NameControl(lblPIC2ICO, QStringLiteral("lblPIC2ICO"));
    lblPIC2ICO->setWordWrap(true);
    Place(lblPIC2ICO, 2880, 3000, 1095, 735);
}

void PicturePage::createSizeOptions() {
    fraPNG2ICOOption = new platform::Frame(QStringLiteral("PNG→ICO选项"), this);
    NameControl(fraPNG2ICOOption, QStringLiteral("fraPNG2ICOOption"));
    SetTag(fraPNG2ICOOption, QStringLiteral("设置图标所要包含的大小格式"));
    Place(fraPNG2ICOOption, 2760, 840, 1335, 2055);

    struct Option {
        const char* caption;
        int top, height;
    };
    static constexpr std::array<Option, kSizeOptions> kOptions = {{
        {"16*16", 240, 255}, {"32*32", 480, 255}, {"48*48", 720, 255}, {"64*64", 960, 255},
        {"72*72", 1200, 180}, {"96*96", 1440, 180}, {"128*128", 1680, 180},
    }};
    for (size_t i = 0; i < kOptions.size(); ++i) {
        auto* box = new platform::CheckBox(QString::fromLatin1(kOptions[i].caption), fraPNG2ICOOption);
        NameControl(box, QStringLiteral("chkPNG2ICOOption(%1)").arg(i + 1));
        box->setChecked(true);
        Place(box, 240, kOptions[i].top, 975, kOptions[i].height);
        sizeOptions_[i] = box;
    }
}

void PicturePage::createTargetFrame() {
    fraICO = new platform::Frame(QStringLiteral("图标保存到..."), this);
    NameControl(fraICO, QStringLiteral("fraICO"));
    Place(fraICO, 4080, 0, 2775, 3975);

    drvICO = new platform::DriveListBox(fraICO);
    NameControl(drvICO, QStringLiteral("drvICO"));
    Place(drvICO, 240, 360, 2295, 300);

    dirICO = new platform::DirListBox(fraICO);
    NameControl(dirICO, QStringLiteral("dirICO"));
    SetTag(dirICO, QStringLiteral("设置一个文件夹来保存图标"));
    Place(dirICO, 240, 720, 2295, 2820);

    chkSameDirToPNG = new platform::CheckBox(QStringLiteral("与源图片同文件夹"), fraICO);
    NameControl(chkSameDirToPNG, QStringLiteral("chkSameDirToPNG"));
    SetTag(chkSameDirToPNG, QStringLiteral("将图标保存到源图片文件夹中"));
    Place(chkSameDirToPNG, 240, 3600, 2295, 255);
}
