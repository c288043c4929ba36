#include "platform/jobs/JobRunner.h"

#include "libs/cmdline/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

// The shell finds a bare program name in its working folder, trying the
// executable extension first.
QString ResolveProgram(const QString& name, const QString& folder) {
    if (name.contains('/'))
        return QFileInfo(QDir(folder), name).absoluteFilePath();
    for (const QString& candidate : {name + ".exe", name}) {
        QFileInfo info(QDir(folder), candidate);
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return {};
}

} // namespace

QString RedirectTarget(const QString& line) {
    const qsizetype at = line.lastIndexOf('>');
    return at < 0 ? QString() : line.mid(at + 1).trimmed();
}

JobRunner::JobRunner() = default;

JobRunner::~JobRunner() {
    if (process_) {
        process_->disconnect();
        process_->kill();
        process_->waitForFinished(3000);
    }
}

bool JobRunner::IsRunning() const {
    return process_ && process_->state() != QProcess::NotRunning;
}

bool JobRunner::Start(const QString& batchFile, const QString& jobFolder, const QString& program) {
    if (IsRunning())
        return false;
    QFile file(batchFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
    const std::vector<std::string> args = cmdline::SplitCommandLine(lines.value(0).toStdString());
    if (args.empty())
        return false;
    const QString resolved = program.isEmpty() ? ResolveProgram(QString::fromStdString(args[0]), jobFolder) : program;
    if (resolved.isEmpty())
        return false;
    QStringList programArgs;
    for (size_t i = 1; i < args.size(); ++i)
        programArgs << QString::fromStdString(args[i]);

    const QString marker = RedirectTarget(lines.value(1));
    markerPath_ = marker.isEmpty() ? QString() : QFileInfo(QDir(jobFolder), marker).absoluteFilePath();
    process_ = std::make_unique<QProcess>();
    process_->setWorkingDirectory(jobFolder);
    process_->setProgram(resolved);
    process_->setArguments(programArgs);
    process_->setStandardInputFile(QProcess::nullDevice());   // it never waits for an answer
    process_->setStandardOutputFile(QProcess::nullDevice());  // its console is not read
    process_->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process_.get(), &QProcess::finished, [this] { OnProgramEnded(); });
    process_->start();
    if (!process_->waitForStarted(10000)) {
        process_.reset();
        return false;
    }
    return true;
}

void JobRunner::OnProgramEnded() {
    if (!markerPath_.isEmpty()) {
        QFile marker(markerPath_);
        if (marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
            marker.close();
    }
    if (finished_)
        finished_();
}

} // namespace platform
