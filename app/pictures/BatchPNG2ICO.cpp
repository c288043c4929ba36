// The PNG job: the converter and a two-line batch file are written into the
// job folder and the batch file's first line is started; the window stays
// disabled until a timer tick finds the completion marker. A job that cannot
// be written or started, or that ends without a marker, gives the window
// back at once with an error box instead of leaving it disabled for good.

#include "PicturePage.h"

#include "app/SharedState.h"
#include "app/pictures/JobBatchFile.h"
#include "app/pictures/InstalledConverter.h"
#include "app/pictures/JobFolder.h"
#include "app/pictures/PngJob.h"
#include "libs/files/FileSearch.h"
#include "platform/shell/MsgBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

namespace {

const QString kNoPngText = QStringLiteral("该文件夹中没有.PNG文件，请重选择文件夹。");
const QString kPngDoneText = QStringLiteral("PNG→ICO 转换完成！");
const QString kJobFailedText = QStringLiteral("无法启动PNG转换：转换程序或批处理文件无法写入或运行。");
const QString kJobLostText = QStringLiteral("PNG转换程序已结束，但未能确认转换完成。");

} // namespace

void PicturePage::BatchPNG2ICO() {
    if (job_)
        return;  // one job at a time (the disabled window normally sees to that)
    const std::string source = QFile::encodeName(dirPIC->Path()).toStdString();
    if (files::FindFiles(source, "*.png").empty()) {
        platform::ShowError(kNoPngText);
        return;
    }
    setBusy(true);
    if (state_.Timer)
        state_.Timer->start();
    if (!startPngJob())
        failPngJob(kJobFailedText);
}

void PicturePage::Timer_Timer() {
    if (!job_)
        return;
    if (job_->Finished())
        endPngJob();
    else if (job_->Lost())
        failPngJob(kJobLostText);
}

// Ticked size options, in index order; their enabled state does not matter.
QString PicturePage::sizeList() const {
    QStringList captions;
    for (int Index = 1; Index <= kSizeOptions; ++Index) {
        if (chkPNG2ICOOption(Index)->Value() == 1)
            captions << chkPNG2ICOOption(Index)->text();
    }
    return JobSizeList(captions);
}

bool PicturePage::startPngJob() {
    const QString folder = jobFolder_.isEmpty() ? JobFolder() : jobFolder_;
    if (folder.isEmpty())
        return false;
    QFile resource(converterSource_);
    const QByteArray converter = resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
    const std::optional<QByteArray> batchFile = JobBatchFile(sizeList(), dirPIC->Path(), dirICO->Path());
    const QString programFolder = programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_;
    job_ = std::make_unique<PngJob>(folder);
    return batchFile && job_->Start(converter, *batchFile, InstalledConverter(programFolder, converter));
}

// The caption comes back before the window is given back.
void PicturePage::endPngJob() {
    cmdPIC2ICO->setText(kIdleCaption);
    if (state_.Form)
        state_.Form->setEnabled(true);
    if (state_.Timer)
        state_.Timer->stop();
    job_->RemoveFiles();
    job_.reset();
    platform::ShowNotice(kPngDoneText);
}

void PicturePage::failPngJob(const QString& text) {
    if (state_.Timer)
        state_.Timer->stop();
    if (job_)
        job_->RemoveWritten();
    job_.reset();
    setBusy(false);
    platform::ShowError(text);
}
