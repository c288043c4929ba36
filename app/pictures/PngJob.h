#pragma once
// The files and the process of one PNG conversion job in its job folder: the
// converter, the batch file, and the completion marker that the job runner
// creates when the converter has ended. The converter runs from the first
// of these that fits: the installed one in place (never written, never
// removed); the embedded copy written into the job folder, when that
// folder's file system lets programs run; the embedded copy in sealed
// anonymous memory, which a noexec mount does not reach.

#include "platform/jobs/JobRunner.h"
#include "platform/jobs/MemoryProgram.h"

#include <QByteArray>
#include <QString>

#include <memory>

class PngJob {
public:
    explicit PngJob(QString folder);
    ~PngJob();
    PngJob(const PngJob&) = delete;
    PngJob& operator=(const PngJob&) = delete;

    // The job file of that name in the job folder.
    QString FilePath(const char* name) const;

    // How the converter of the last Start was run.
    enum class ConverterRun { None, Installed, JobFolder, Memory };

    // Removes a marker left by an earlier job, places the converter (see
    // above; `installed` is the fitting installed converter or empty),
    // writes the batch file, and starts the batch file's first line. False
    // at the first step that fails.
    [[nodiscard]] bool Start(const QByteArray& converter, const QByteArray& batchFile, const QString& installed = {});
    ConverterRun Run() const { return run_; }
    // The marker is there: the converter has ended.
    bool Finished() const;
    // The converter has ended but left no marker (it could not be created).
    bool Lost() const { return ended_ && !Finished(); }

    // Deletes the batch file, the converter and the marker, in that order.
    void RemoveFiles() const;
    // Deletes only the files this job has written or begun to write.
    void RemoveWritten() const;

private:
    [[nodiscard]] bool WriteFile(const char* name, const QByteArray& bytes, bool executable);
    // The program to start for line 1; empty: the converter in the job folder.
    [[nodiscard]] bool PlaceConverter(const QByteArray& converter, const QString& installed, QString& program);

    QString folder_;
    std::unique_ptr<platform::MemoryProgram> memoryConverter_;
    platform::JobRunner runner_;  // after the memory copy: the process ends first
    bool wroteConverter_ = false;
    bool wroteBatchFile_ = false;
    bool ended_ = false;
    ConverterRun run_ = ConverterRun::None;
};
