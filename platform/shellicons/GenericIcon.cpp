#include "platform/shellicons/GenericIcon.h"

#include "platform/shellicons/LargeIconImage.h"
#include "platform/artwork/Artwork.h"

namespace platform {
namespace {

IconHandle LoadGenericIcon() {
    return MakeIconHandle(ToStandardIconSize(QImage(QString::fromLatin1(artwork::kExecutableIcon32))));
}

} // namespace

IconHandle GenericExecutableIcon() {
    // Decoded once; every caller gets a copy (the pixels are shared).
    static const IconHandle generic = LoadGenericIcon();
    return generic;
}

} // namespace platform
