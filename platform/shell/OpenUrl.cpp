#include "OpenUrl.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

namespace {

OpenUrlSink& Sink() {
    static OpenUrlSink sink;
    return sink;
}

} // namespace

void OpenUrl(const QString& address) {
    if (Sink()) {
        Sink()(address);
        return;
    }
    (void)QDesktopServices::openUrl(QUrl(address));
}

OpenUrlSink SetOpenUrlSink(OpenUrlSink sink) {
    OpenUrlSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

} // namespace platform
