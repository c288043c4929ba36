#include "ExecutablePage.h"

#include "app/SharedState.h"
#include "app/executables/IconExtraction.h"
#include "platform/shell/MsgBox.h"
#include "platform/shellicons/ShellIcons.h"
#include "platform/widgets/Control.h"

using platform::NameControl;
using platform::Place;
using platform::SetTag;

const QString ExecutablePage::kIdleCaption = QStringLiteral("开始提取");
const QString ExecutablePage::kBusyCaption = QStringLiteral("提取中...");
const QString ExecutablePage::kDoneText = QStringLiteral("EXE→ICO 提取完成！");
const QString ExecutablePage::kNoExecutablesText = QStringLiteral("该文件夹中没有.EXE文件，请重选择文件夹。");
const QString ExecutablePage::kNothingSelectedText = QStringLiteral("请先选择一个.EXE文件。");

namespace {

constexpr int kIconMargin = 2;  // pixels between the preview's edge and the icon

} // namespace

ExecutablePage::ExecutablePage(SharedState& state, QWidget* parent)
    : platform::Frame(QStringLiteral("从EXE中提取图标"), parent), state_(state) {
    createLists();
    createActions();
    createPreview();
    wireEvents();
    nameForAssistiveTechnology();
}

// Lists and the drive box by their role, the preview by its caption; the
// status-line hints become descriptions (the file list's, two lines long,
// is the window's).
void ExecutablePage::nameForAssistiveTechnology() {
    drvEXE->setAccessibleName(QStringLiteral("可执行文件 驱动器"));
    dirEXE->setAccessibleName(QStringLiteral("可执行文件 文件夹"));
    filEXE->setAccessibleName(QStringLiteral("可执行文件"));
    picShowICO->setAccessibleName(lblEXE2ICO_1->text());
    for (QWidget* hinted : std::initializer_list<QWidget*>{dirEXE, cmdEXE2ICO, chkEXE2ICOAll})
        hinted->setAccessibleDescription(platform::Tag(hinted));
}

void ExecutablePage::wireEvents() {
    connect(drvEXE, &platform::DriveListBox::Change, this, &ExecutablePage::drvEXE_Change);
    connect(dirEXE, &platform::DirListBox::Change, this, &ExecutablePage::dirEXE_Change);
    connect(filEXE, &platform::FileListBox::Click, this, &ExecutablePage::filEXE_Click);
    connect(chkEXE2ICOAll, &platform::CheckBox::Click, this, &ExecutablePage::chkEXE2ICOAll_Click);
    connect(cmdEXE2ICO, &QPushButton::clicked, this, &ExecutablePage::cmdEXE2ICO_Click);
}

void ExecutablePage::drvEXE_Change() {
    if (dirEXE->SetDrive(drvEXE->Drive())) {
        state_.LastDrive = drvEXE->Drive();
        return;
    }
    // Writing the drive list back raises its Change again, which moves the
    // folder list to the restored drive and stores it once more.
    (void)drvEXE->SetDrive(state_.LastDrive);
}

void ExecutablePage::dirEXE_Change() {
    (void)filEXE->SetPath(dirEXE->Path());
}

void ExecutablePage::filEXE_Click() {
    const QString name = filEXE->FileName();
    const platform::ExtractedIcon icon =
        name.isEmpty() ? platform::ExtractedIcon{} : platform::ExtractFirstIcon(JoinFolder(filEXE->Path(), name));
    picShowICO->Cls();
    if (icon.presence == exeicons::IconPresence::kHasIcons)
        picShowICO->DrawImage(kIconMargin, kIconMargin, icon.icon.image);
    if (chkEXE2ICOAll->Value() == 1)
        deselectAll();
}

void ExecutablePage::chkEXE2ICOAll_Click() {
    if (chkEXE2ICOAll->Value() == 1)
        deselectAll();
    else
        (void)filEXE->SetSelected(0, true);  // an empty list has no entry 0: nothing selected
}

void ExecutablePage::cmdEXE2ICO_Click() {
    if (chkEXE2ICOAll->Value() == 0)
        singleFileRun();
    else
        batchRun();
}

void ExecutablePage::deselectAll() {
    for (int i = 0; i < filEXE->ListCount(); ++i)
        (void)filEXE->SetSelected(i, false);
}

// The window stays enabled. Without a selected executable (after a change
// of folder) there is nothing to save: the paths would name the folder
// itself and a stray icon file would land beside it.
void ExecutablePage::singleFileRun() {
    const QString name = filEXE->FileName();
    if (name.isEmpty()) {
        platform::ShowError(kNothingSelectedText);
        return;
    }
    cmdEXE2ICO->setText(kBusyCaption);
    const QString executable = JoinFolder(filEXE->Path(), name);
    // Only this executable's image is in the list when it is saved, whatever
    // an earlier batch left there (possibly under this very key).
    state_.ImageList.Clear();
    (void)SaveExecutableIcon(state_.ImageList, executable, IconPathFor(executable));
    state_.ImageList.Clear();
    cmdEXE2ICO->setText(kIdleCaption);
    platform::ShowNotice(kDoneText);
}

// Every matching entry of the folder, also those the list does not show;
// a file that gets no icon is passed over silently.
void ExecutablePage::batchRun() {
    const QStringList names = FindExecutables(dirEXE->Path());
    if (names.isEmpty()) {
        platform::ShowError(kNoExecutablesText);
        return;
    }
    if (state_.Form)
        state_.Form->setEnabled(false);
    cmdEXE2ICO->setText(kBusyCaption);
    (void)SaveExecutableIcons(state_.ImageList, filEXE->Path(), names);
    if (state_.Form)
        state_.Form->setEnabled(true);
    cmdEXE2ICO->setText(kIdleCaption);
    platform::ShowNotice(kDoneText);
}

void ExecutablePage::createLists() {
    drvEXE = new platform::DriveListBox(this);
    NameControl(drvEXE, QStringLiteral("drvEXE"));
    Place(drvEXE, 240, 360, 2295, 300);

    dirEXE = new platform::DirListBox(this);
    NameControl(dirEXE, QStringLiteral("dirEXE"));
    SetTag(dirEXE, QStringLiteral("选择一个含有.EXE文件的文件夹"));
    Place(dirEXE, 240, 720, 2295, 3030);

    filEXE = new platform::FileListBox(this);
    NameControl(filEXE, QStringLiteral("filEXE"));
    filEXE->SetPattern(QStringLiteral("*.exe"));
    // Replaced by the two-line hint on every pointer move over the list.
    SetTag(filEXE, QStringLiteral("请选择一个.EXE文件  若要批量提取该文件夹中所有.EXE文件的图标请勾选“批量提取"));
    Place(filEXE, 2760, 360, 2295, 3330);
}

void ExecutablePage::createActions() {
    cmdEXE2ICO = new QPushButton(kIdleCaption, this);
    NameControl(cmdEXE2ICO, QStringLiteral("cmdEXE2ICO"));
    SetTag(cmdEXE2ICO, QStringLiteral("提取.EXE文件中的图标并保存在当前文件夹中"));
    Place(cmdEXE2ICO, 5400, 360, 1095, 375);

    chkEXE2ICOAll = new platform::CheckBox(QStringLiteral("批量提取"), this);
    NameControl(chkEXE2ICOAll, QStringLiteral("chkEXE2ICOAll"));
    SetTag(chkEXE2ICOAll, QStringLiteral("批量提取当前文件夹中的所有.EXE文件的图标"));
    Place(chkEXE2ICOAll, 5400, 840, 1095, 255);
}

void ExecutablePage::createPreview() {
    lblEXE2ICO_1 = new platform::Label(QStringLiteral("图标预览"), this);
    NameControl(lblEXE2ICO_1, QStringLiteral("lblEXE2ICO_1"));
    Place(lblEXE2ICO_1, 5580, 1440, 720, 180);

    picShowICO = new platform::PictureBox(platform::PictureBox::Border::FixedSingle, this);
    NameControl(picShowICO, QStringLiteral("picShowICO"));
    picShowICO->SetBackColor(platform::kWindowBackground);
    picShowICO->SetForeColor(platform::kWindowText);
    Place(picShowICO, 5640, 1680, 580, 580);

    lblEXE2ICO_2 = new platform::Label(QStringLiteral("提示："), this);
    NameControl(lblEXE2ICO_2, QStringLiteral("lblEXE2ICO_2"));
    Place(lblEXE2ICO_2, 5280, 2640, 540, 180);

    lblEXE2ICO_3 = new platform::Label(QStringLiteral("提取得到的图标文件将保存在原.EXE文件所在文件夹。"), this);
    NameControl(lblEXE2ICO_3, QStringLiteral("lblEXE2ICO_3"));
    lblEXE2ICO_3->setWordWrap(true);
    Place(lblEXE2ICO_3, 5280, 2880, 1335, 855);
}
