#pragma once
// Runs a two-line job batch file the way the command shell would, without
// one: line 1's program with its arguments split by the Windows rules,
// started directly in the job folder; when it has ended, whatever its
// outcome, the file that line 2 redirects into ("cmd>marker") is created
// empty there, as the shell would have created it.

#include <QProcess>
#include <QString>

#include <functional>
#include <memory>

namespace platform {

class JobRunner {
public:
    JobRunner();
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // Reads the batch file and starts its first line. Line 1's program is
    // `program` when given (as a shell would find an installed command on
    // its search path), else looked for in the job folder. False, with
    // nothing running, when the file cannot be read, line 1 is empty, or the
    // program cannot be found or started.
    [[nodiscard]] bool Start(const QString& batchFile, const QString& jobFolder, const QString& program = {});
    bool IsRunning() const;
    // Called after the marker has been created.
    void SetFinishedCallback(std::function<void()> callback) { finished_ = std::move(callback); }

private:
    void OnProgramEnded();

    std::unique_ptr<QProcess> process_;
    QString markerPath_;
    std::function<void()> finished_;
};

// The marker name of line 2 ("over>overpng2ico.tmp" gives "overpng2ico.tmp");
// empty when the line redirects nowhere.
QString RedirectTarget(const QString& line);

} // namespace platform
