#include "app/pictures/InstalledConverter.h"

#include "app/pictures/JobFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString InstalledConverter(const QString& programFolder, const QByteArray& embedded) {
    if (programFolder.isEmpty() || embedded.isEmpty())
        return {};
    const QFileInfo info(QDir(programFolder), QString::fromLatin1(kConverterCommand));
    // The size first: a converter of another build is refused without reading it.
    if (!info.isFile() || !info.isExecutable() || info.size() != embedded.size())
        return {};
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != embedded)
        return {};
    return info.absoluteFilePath();
}
