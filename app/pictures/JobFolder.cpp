#include "JobFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// Made on first use, private to this user (mode 0700), removed at exit.
QString PrivateTemporaryFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/trevalo-job-XXXXXX"));
    return folder.isValid() ? folder.path() : QString();
}

} // namespace

QString JobFolder() {
    return JobFolderFor(QCoreApplication::applicationDirPath());
}

QString JobFolderFor(const QString& programFolder) {
    const QFileInfo info(programFolder);
    if (!programFolder.isEmpty() && info.isDir() && info.isWritable())
        return programFolder;
    return PrivateTemporaryFolder();
}
