#include "PngJob.h"

#include "app/pictures/JobFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// rwxr-xr-x: the converter is run from the job folder.
constexpr QFileDevice::Permissions kRunnable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                               QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther;

} // namespace

PngJob::PngJob(QString folder) : folder_(std::move(folder)) {
    runner_.SetFinishedCallback([this] { ended_ = true; });
}

PngJob::~PngJob() = default;

QString PngJob::FilePath(const char* name) const {
    return QDir(folder_).filePath(QString::fromLatin1(name));
}

bool PngJob::Start(const QByteArray& converter, const QByteArray& batchFile) {
    // A marker from a job that never finished would end this one at once.
    const QString marker = FilePath(kJobMarkerFileName);
    if (QFileInfo::exists(marker) && !QFile::remove(marker))
        return false;
    if (converter.isEmpty() || !WriteFile(kConverterFileName, converter, true))
        return false;
    if (!WriteFile(kJobBatchFileName, batchFile, false))
        return false;
    return runner_.Start(FilePath(kJobBatchFileName), folder_);
}

bool PngJob::Finished() const {
    return QFileInfo(FilePath(kJobMarkerFileName)).isFile();
}

void PngJob::RemoveFiles() const {
    for (const char* name : {kJobBatchFileName, kConverterFileName, kJobMarkerFileName})
        QFile::remove(FilePath(name));
}

void PngJob::RemoveWritten() const {
    if (wroteBatchFile_)
        QFile::remove(FilePath(kJobBatchFileName));
    if (wroteConverter_)
        QFile::remove(FilePath(kConverterFileName));
}

bool PngJob::WriteFile(const char* name, const QByteArray& bytes, bool executable) {
    QFile file(FilePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    (executable ? wroteConverter_ : wroteBatchFile_) = true;  // from here on it is ours to remove
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        return false;
    return !executable || file.setPermissions(kRunnable);
}
