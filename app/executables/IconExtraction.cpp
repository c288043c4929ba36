#include "IconExtraction.h"

#include "modGetICO.h"
#include "libs/files/FileSearch.h"
#include "libs/files/IconNames.h"

#include <QFile>

#include <algorithm>

namespace {

constexpr char kExecutablePattern[] = "*.exe";

} // namespace

QStringList FindExecutables(const QString& folder) {
    QStringList names;
    for (const files::FoundEntry& found :
         files::FindFiles(QFile::encodeName(folder).toStdString(), kExecutablePattern))
        names.push_back(QFile::decodeName(QByteArray::fromStdString(found.name)));
    return names;
}

QString IconPathFor(const QString& executablePath) {
    return QFile::decodeName(
        QByteArray::fromStdString(files::IconNameReplacingLastFour(QFile::encodeName(executablePath).toStdString())));
}

QString JoinFolder(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name;
}

bool SaveExecutableIcon(platform::ImageList& list, const QString& executablePath, const QString& iconPath) {
    const int index = list.Add(GetFileICO(executablePath), executablePath);
    if (index == 0)
        return false;
    return platform::SavePicture(list.ExtractIcon(index), iconPath);
}

int SaveExecutableIcons(platform::ImageList& list, const QString& folder, const QStringList& names) {
    list.Clear();
    int written = 0;
    for (const QString& name : names) {
        const QString executable = JoinFolder(folder, name);
        written += SaveExecutableIcon(list, executable, IconPathFor(executable)) ? 1 : 0;
    }
    return written;
}
