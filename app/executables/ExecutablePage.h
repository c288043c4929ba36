#pragma once
// Page 2: icons from executables. Drive, folder and executable lists, the
// batch option, the icon preview and the extraction button.

#include "platform/widgets/CheckBox.h"
#include "platform/widgets/DirListBox.h"
#include "platform/widgets/DriveListBox.h"
#include "platform/widgets/FileListBox.h"
#include "platform/widgets/Frame.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/PictureBox.h"

#include <QPushButton>

struct SharedState;

class ExecutablePage : public platform::Frame {
    Q_OBJECT
public:
    ExecutablePage(SharedState& state, QWidget* parent = nullptr);

    SharedState& State() const { return state_; }

    static const QString kIdleCaption;
    static const QString kBusyCaption;
    static const QString kDoneText;
    static const QString kNoExecutablesText;
    static const QString kNothingSelectedText;

    // The drive list moved: the folder list follows, or the drive list goes
    // back to the last drive accepted.
    void drvEXE_Change();
    // The folder list moved: the executable list follows.
    void dirEXE_Change();
    // Click of the executable list: the selection's preview, drawn at (2, 2);
    // in batch mode the highlight is removed again. The window's start-up
    // selection and its tab clicks run it too.
    void filEXE_Click();
    // The batch option changed: the highlight follows the mode.
    void chkEXE2ICOAll_Click();
    // Saves the icon of the selected executable, or of every executable of
    // the folder in batch mode, beside it.
    void cmdEXE2ICO_Click();

    platform::DriveListBox* drvEXE;
    platform::DirListBox* dirEXE;
    platform::FileListBox* filEXE;
    QPushButton* cmdEXE2ICO;
    platform::CheckBox* chkEXE2ICOAll;
    platform::Label* lblEXE2ICO_1;
    platform::PictureBox* picShowICO;
    platform::Label* lblEXE2ICO_2;
    platform::Label* lblEXE2ICO_3;

private:
    void createLists();
    void createActions();
    void createPreview();
    void wireEvents();
    void nameForAssistiveTechnology();
    void deselectAll();
    void singleFileRun();
    void batchRun();

    SharedState& state_;
};
