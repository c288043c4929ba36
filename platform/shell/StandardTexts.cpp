#include "StandardTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace platform {

bool LoadStandardTexts() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    // Owned by the application: gone with it.
    static QPointer<QTranslator> loaded;
    if (loaded)
        return true;
    auto* translator = new QTranslator(app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    loaded = translator;
    return true;
}

} // namespace platform
