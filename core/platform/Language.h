#pragma once

#include <QProcessEnvironment>
#include <QStringList>

namespace platform {

// The languages the session asks for a program's texts, most wanted first, as gettext reads them: LC_ALL, else
// LC_MESSAGES, else LANG names the locale, and LANGUAGE may list languages before it. The C and POSIX locales (C.UTF-8
// too) mean the program's own English, whatever LANGUAGE says: an empty list.
QStringList MessageLanguages(const QProcessEnvironment& environment);

} // namespace platform
