// The picture page's folder handlers. Setting a list's drive or path raises
// its own Change at once, so these handlers run nested inside one another;
// the order of their steps decides which value wins.

#include "PicturePage.h"

#include "app/SharedState.h"

void PicturePage::cboPicType_Click() {
    const bool png = cboPicType->currentText() == kPngType;
    for (int Index = 1; Index <= kSizeOptions; ++Index)
        chkPNG2ICOOption(Index)->setEnabled(png);
}

// Any step that fails sends the drive list back to the last drive accepted,
// which raises this handler once more with that drive.
void PicturePage::drvPIC_Change() {
    bool ok = dirPIC->SetDrive(drvPIC->Drive());
    if (ok && chkSameDirToPNG->Value() == 1)
        ok = copySourceToTarget();
    if (!ok) {
        (void)drvPIC->SetDrive(state_.LastDrive);
        return;
    }
    state_.LastDrive = drvPIC->Drive();
}

void PicturePage::dirPIC_Change() {
    if (chkSameDirToPNG->Value() == 1)
        (void)copySourceToTarget();
}

void PicturePage::drvICO_Change() {
    if (!dirICO->SetDrive(drvICO->Drive())) {
        (void)drvICO->SetDrive(state_.LastDrive);
        return;
    }
    state_.LastDrive = drvICO->Drive();
}

// The drive goes first, so that the target drive's own handler has run
// before the folder is copied: the copied folder wins.
void PicturePage::chkSameDirToPNG_Click() {
    const bool same = chkSameDirToPNG->Value() == 1;
    if (same) {
        (void)drvICO->SetDrive(drvPIC->Drive());
        (void)dirICO->SetPath(dirPIC->Path());
    }
    drvICO->setEnabled(!same);
    dirICO->setEnabled(!same);
}

// The folder, then the drive. False when a step fails (the source folder
// vanished meanwhile); the source folder handler then leaves the target as
// it stands.
bool PicturePage::copySourceToTarget() {
    return dirICO->SetPath(dirPIC->Path()) && drvICO->SetDrive(drvPIC->Drive());
}
