#pragma once
// The converter installed beside the window program (png2ico in the same
// folder of commands), when it is the very program the window carries: the
// same bytes, byte for byte. The build embeds the converter stripped as
// installing strips it, so an installed pair always fits; a converter of
// another build or a changed file does not, and the job then runs the
// embedded copy instead. The installed file is only ever read and run.

#include <QByteArray>
#include <QString>

// Its path, or empty when there is none or it differs from `embedded`.
QString InstalledConverter(const QString& programFolder, const QByteArray& embedded);
