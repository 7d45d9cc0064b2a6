#include "workbench/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace obd {

bool InstallQtTranslations(const QLocale& locale) {
    // The application owns the translator: it stays for the program's life.
    auto* translator = new QTranslator(QCoreApplication::instance());
    // "qt_<language>" gathers the translations of Qt's modules (qtbase_de...).
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace obd
