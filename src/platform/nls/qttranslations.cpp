#include "platform/nls/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtJapaneseTranslations(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    // "qt" is the catalogue that pulls in qtbase and the other modules.
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
