#pragma once
// Page 1: pictures to icons. Source drive and folder, picture type, icon
// sizes, target drive and folder, and the start button.

#include "platform/widgets/CheckBox.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/DirListBox.h"
#include "platform/widgets/DriveListBox.h"
#include "platform/widgets/Frame.h"
#include "platform/widgets/Label.h"

#include <QPushButton>

#include <array>
#include <memory>

struct SharedState;
class PngJob;

class PicturePage : public platform::Frame {
    Q_OBJECT
public:
    static constexpr int kSizeOptions = 7;  // chkPNG2ICOOption(1) to (7)

    static const QString kPngType;      // ".PNG格式图片"
    static const QString kBmpType;      // ".BMP格式图片"
    static const QString kIdleCaption;  // "开始转换"
    static const QString kBusyCaption;  // "转换中..."

    PicturePage(SharedState& state, QWidget* parent = nullptr);
    ~PicturePage() override;

    // An entry was chosen from the picture type's list (typed text, even
    // ended with Enter, raises nothing): the size options are enabled for
    // PNG pictures only.
    void cboPicType_Click();
    // The source drive moved: the source folder follows (and the target,
    // with the same-folder option), or the drive list goes back to LastDrive.
    void drvPIC_Change();
    // The source folder moved: with the same-folder option the target follows.
    void dirPIC_Change();
    // The target drive moved: the target folder follows, or the drive list
    // goes back to LastDrive.
    void drvICO_Change();
    // The same-folder option changed: the target takes the source's drive and
    // folder and is locked, or is unlocked as it stands.
    void chkSameDirToPNG_Click();
    // Start: the BMP run or the PNG job, by the exact picture type text.
    void cmdPIC2ICO_Click();
    // Every BMP picture of the source folder to an icon in the target folder,
    // within this call, the window disabled meanwhile.
    void BatchBMP2ICO();
    // Starts the converter over the source folder tree and returns; the
    // timer notices its end.
    void BatchPNG2ICO();
    // A tick of the window's timer: ends the PNG job once its marker is there.
    void Timer_Timer();

    // Where PNG jobs write their files (JobFolder() when empty), where the
    // converter's bytes come from, and the folder an installed converter is
    // looked for in (the program's own when empty); tests point these
    // elsewhere.
    void SetJobFolder(const QString& folder) { jobFolder_ = folder; }
    void SetConverterSource(const QString& path) { converterSource_ = path; }
    void SetProgramFolder(const QString& folder) { programFolder_ = folder; }
    // The running PNG job, if any.
    PngJob* Job() const { return job_.get(); }

    // The size option of that index (1 to 7); nullptr outside.
    platform::CheckBox* chkPNG2ICOOption(int Index) const;

    SharedState& State() const { return state_; }

    platform::Frame* fraPIC;
    platform::DriveListBox* drvPIC;
    platform::DirListBox* dirPIC;
    platform::ComboBox* cboPicType;
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
    void wireEvents();
    void nameForAssistiveTechnology();

    [[nodiscard]] bool copySourceToTarget();
    void setBusy(bool busy);
    QString sizeList() const;
    [[nodiscard]] bool startPngJob();
    void endPngJob();
    void failPngJob(const QString& text);

    SharedState& state_;
    std::array<platform::CheckBox*, kSizeOptions> sizeOptions_{};
    QString jobFolder_;
    QString converterSource_;
    QString programFolder_;
    std::unique_ptr<PngJob> job_;  // the running PNG job, if any
};
