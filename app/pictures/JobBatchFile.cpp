#include "JobBatchFile.h"

#include "app/pictures/JobFiles.h"
#include "libs/cmdline/CommandLine.h"

#include <QStringEncoder>

namespace {

constexpr char kLineEnd[] = "\r\n";

QString Quoted(const QString& path) {
    return QString::fromStdString(cmdline::QuoteArgument(path.toStdString()));
}

bool BreaksLine(const QString& path) {
    return path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n')) || path.contains(QChar(0));
}

} // namespace

QString JobSizeList(const QStringList& captions) {
    QString list;
    for (const QString& caption : captions)
        list += QStringLiteral(" -s ") + caption.section(QLatin1Char('*'), 0, 0) + QStringLiteral(" 32bpp");
    return list;
}

QString JobCommandLine(const QString& sizeList, const QString& source, const QString& target) {
    return QLatin1String(kConverterCommand) + sizeList + QStringLiteral(" -i ") + Quoted(source) + QStringLiteral(" -o ") +
           Quoted(target) + QStringLiteral(" -noconfirm -silent");
}

std::optional<QByteArray> JobBatchFile(const QString& sizeList, const QString& source, const QString& target) {
    if (BreaksLine(source) || BreaksLine(target))
        return std::nullopt;
    const QString text = JobCommandLine(sizeList, source, target) + QLatin1String(kLineEnd) +
                         QStringLiteral("over>") + QLatin1String(kJobMarkerFileName) + QLatin1String(kLineEnd);
    QStringEncoder encode(QStringConverter::System);
    QByteArray bytes = encode(text);
    if (encode.hasError())
        return std::nullopt;
    return bytes;
}
