#include "ExecutablePage.h"

#include "app/SharedState.h"
#include "platform/widgets/Control.h"

using platform::NameControl;
using platform::Place;
using platform::SetTag;

ExecutablePage::ExecutablePage(SharedState& state, QWidget* parent)
    : platform::Frame(QStringLiteral("从EXE中提取图标"), parent), state_(state) {
    createLists();
    createActions();
    createPreview();
    connect(filEXE, &platform::FileListBox::Click, this, &ExecutablePage::filEXE_Click);
}

void ExecutablePage::filEXE_Click() {
    // The icon of the selected executable is drawn at (2, 2) here once the
    // executable icon reader is wired in.
    picShowICO->Cls();
    if (chkEXE2ICOAll->isChecked()) {
        // Batch mode: nothing stays highlighted.
        for (int i = 0; i < filEXE->ListCount(); ++i)
            (void)filEXE->SetSelected(i, false);
    }
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
    cmdEXE2ICO = new QPushButton(QStringLiteral("开始提取"), this);
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
