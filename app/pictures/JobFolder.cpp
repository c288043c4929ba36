#include "JobFolder.h"

#include "libs/files/FolderCleanup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// A job's converter and script must not turn up among the commands anybody
// runs by name, nor land in a folder a package owns, even where the user may
// write (root running the installed program).
bool HoldsCommands(const QString& folder) {
    QStringList commandFolders = {
        QStringLiteral("/bin"),      QStringLiteral("/sbin"),           QStringLiteral("/usr/bin"),
        QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/local/sbin"),
        QStringLiteral("/usr/games"), QStringLiteral("/usr/local/games")};
    commandFolders += QString::fromLocal8Bit(qgetenv("PATH")).split(QDir::listSeparator(), Qt::SkipEmptyParts);
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    for (const QString& commands : commandFolders) {
        if (QFileInfo(commands).canonicalFilePath() == canonical)
            return true;
    }
    return false;
}

// Made on first use, private to this user (mode 0700), removed at exit and
// on an interrupt. Its hidden name keeps it out of the window's own folder
// lists when they show the temporary folder.
QString PrivateTemporaryFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QLatin1Char('/') + QString::fromLatin1(kPrivateJobFolderPattern));
    static const bool registered =
        folder.isValid() && files::RemoveFolderOnInterrupt(QFile::encodeName(folder.path()).toStdString(),
                                                           {kConverterFileName, kJobBatchFileName, kJobMarkerFileName});
    (void)registered;
    return folder.isValid() ? folder.path() : QString();
}

} // namespace

QString JobFolder() {
    return JobFolderFor(QCoreApplication::applicationDirPath());
}

QString JobFolderFor(const QString& programFolder) {
    const QFileInfo info(programFolder);
    if (!programFolder.isEmpty() && info.isDir() && info.isWritable() && !HoldsCommands(programFolder))
        return programFolder;
    return PrivateTemporaryFolder();
}
