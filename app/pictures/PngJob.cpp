#include "PngJob.h"

#include "app/pictures/JobFolder.h"
#include "libs/files/ReplaceFile.h"
#include "platform/jobs/ExecutableFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <span>

namespace {

// rwxr-xr-x: the converter is run from the job folder.
constexpr unsigned kRunnable = 0755;

} // namespace

PngJob::PngJob(QString folder) : folder_(std::move(folder)) {
    runner_.SetFinishedCallback([this] { ended_ = true; });
}

PngJob::~PngJob() = default;

QString PngJob::FilePath(const char* name) const {
    return QDir(folder_).filePath(QString::fromLatin1(name));
}

bool PngJob::Start(const QByteArray& converter, const QByteArray& batchFile, const QString& installed) {
    // A marker from a job that never finished would end this one at once.
    const QString marker = FilePath(kJobMarkerFileName);
    if (QFileInfo::exists(marker) && !QFile::remove(marker))
        return false;
    QString program;
    if (!PlaceConverter(converter, installed, program))
        return false;
    if (!WriteFile(kJobBatchFileName, batchFile, false))
        return false;
    return runner_.Start(FilePath(kJobBatchFileName), folder_, program);
}

bool PngJob::PlaceConverter(const QByteArray& converter, const QString& installed, QString& program) {
    if (!installed.isEmpty()) {
        run_ = ConverterRun::Installed;
        program = installed;
        return true;
    }
    if (converter.isEmpty())
        return false;
    if (platform::AllowsExecution(folder_)) {
        run_ = ConverterRun::JobFolder;
        return WriteFile(kConverterFileName, converter, true);
    }
    memoryConverter_ = std::make_unique<platform::MemoryProgram>(converter);
    if (!memoryConverter_->IsValid())
        return false;
    run_ = ConverterRun::Memory;
    program = memoryConverter_->Path();
    return true;
}

bool PngJob::Finished() const {
    return QFileInfo(FilePath(kJobMarkerFileName)).isFile();
}

// A converter that ran from elsewhere was not the job's to write, so its
// name in the job folder is not the job's to remove either.
void PngJob::RemoveFiles() const {
    QFile::remove(FilePath(kJobBatchFileName));
    if (run_ == ConverterRun::JobFolder)
        QFile::remove(FilePath(kConverterFileName));
    QFile::remove(FilePath(kJobMarkerFileName));
}

void PngJob::RemoveWritten() const {
    if (wroteBatchFile_)
        QFile::remove(FilePath(kJobBatchFileName));
    if (wroteConverter_)
        QFile::remove(FilePath(kConverterFileName));
}

// Written whole or not at all, like every file the programs write: a
// converter still running from an earlier job keeps its own file, and a
// failed write leaves whatever was there, which is then not ours to remove.
bool PngJob::WriteFile(const char* name, const QByteArray& bytes, bool executable) {
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size()));
    if (!files::ReplaceFile(QFile::encodeName(FilePath(name)).toStdString(), data,
                            executable ? std::optional<unsigned>(kRunnable) : std::nullopt))
        return false;
    (executable ? wroteConverter_ : wroteBatchFile_) = true;
    return true;
}
