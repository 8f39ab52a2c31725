#include "gui/platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

QString LoadTranslations(QCoreApplication& application, const QStringList& languages)
{
    for (const QString& language : languages) {
        auto* own = new QTranslator(&application);
        if (!own->load(QLocale(language), QStringLiteral("parley"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
            delete own;
            continue;
        }
        QCoreApplication::installTranslator(own);
        auto* qt = new QTranslator(&application);
        if (qt->load(QLocale(own->language()), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
        return own->language();
    }
    return QString();
}

} // namespace platform
