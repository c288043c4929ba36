#pragma once
// The files and the process of one PNG conversion job in its job folder: the
// converter, the batch file, and the completion marker that the job runner
// creates when the converter has ended.

#include "platform/jobs/JobRunner.h"

#include <QByteArray>
#include <QString>

class PngJob {
public:
    explicit PngJob(QString folder);
    ~PngJob();
    PngJob(const PngJob&) = delete;
    PngJob& operator=(const PngJob&) = delete;

    // The job file of that name in the job folder.
    QString FilePath(const char* name) const;

    // Removes a marker left by an earlier job, writes the converter (with
    // its run bit) and the batch file, and starts the batch file's first
    // line. False at the first step that fails.
    [[nodiscard]] bool Start(const QByteArray& converter, const QByteArray& batchFile);
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

    QString folder_;
    platform::JobRunner runner_;
    bool wroteConverter_ = false;
    bool wroteBatchFile_ = false;
    bool ended_ = false;
};
