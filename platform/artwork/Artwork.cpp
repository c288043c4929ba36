#include "Artwork.h"

#include "platform/widgets/CursorFile.h"

#include <QFile>

namespace artwork {

QIcon ApplicationIcon() {
    return QFile::exists(QString::fromLatin1(kApplicationIcon)) ? QIcon(QString::fromLatin1(kApplicationIcon))
                                                                : QIcon();
}

QPixmap Banner() {
    return QPixmap(QString::fromLatin1(kBanner));
}

std::optional<QCursor> HandCursor() {
    return platform::LoadCursorFile(QString::fromLatin1(kHandCursor));
}

} // namespace artwork
