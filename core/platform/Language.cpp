#include "core/platform/Language.h"

namespace platform {

namespace {
bool IsEnglishOfTheProgram(const QString& locale)
{
    const QString name = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    return name == QLatin1String("C") || name == QLatin1String("POSIX");
}
} // namespace

QStringList MessageLanguages(const QProcessEnvironment& environment)
{
    QString locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environment.value(QLatin1String(name));
        if (!locale.isEmpty())
            break;
    }
    if (IsEnglishOfTheProgram(locale))
        return {};
    QStringList languages;
    for (const QString& language :
         environment.value(QStringLiteral("LANGUAGE")).split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (!IsEnglishOfTheProgram(language))
            languages.append(language);
    }
    if (!locale.isEmpty())
        languages.append(locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0));
    return languages;
}

} // namespace platform
