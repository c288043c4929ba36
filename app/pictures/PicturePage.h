#pragma once
// Page 1: pictures to icons. Source drive and folder, picture type, icon
// sizes, target drive and folder, and the start button.

#include "platform/widgets/CheckBox.h"
#include "platform/widgets/DirListBox.h"
#include "platform/widgets/DriveListBox.h"
#include "platform/widgets/Frame.h"
#include "platform/widgets/Label.h"

#include <QComboBox>
#include <QPushButton>

#include <array>

struct SharedState;

class PicturePage : public platform::Frame {
    Q_OBJECT
public:
    static constexpr int kSizeOptions = 7;  // chkPNG2ICOOption(1) to (7)

    PicturePage(SharedState& state, QWidget* parent = nullptr);

    // The size option of that index (1 to 7); nullptr outside.
    platform::CheckBox* chkPNG2ICOOption(int Index) const;

    SharedState& State() const { return state_; }

    platform::Frame* fraPIC;
    platform::DriveListBox* drvPIC;
    platform::DirListBox* dirPIC;
    QComboBox* cboPicType;
    QPushButton* cmdPIC2ICO;
    platform::Frame* fraPNG2ICOOption;
    platform::Frame* fraICO;
    platform::DriveListBox* drvICO;
    platform::DirListBox* dirICO;
    platform::CheckBox* chkSameDirToPNG;
    platform::Label* lblPIC2ICO;

private:
    void createSourceFrame();
    void createSizeOptions();
    void createTargetFrame();
    void createButtonAndNote();

    SharedState& state_;
    std::array<platform::CheckBox*, kSizeOptions> sizeOptions_{};
};
