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

    // Click of the executable list: the selection's preview. The window's
    // tab clicks run it too.
    void filEXE_Click();

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

    SharedState& state_;
};
