#pragma once

#include <QProcessEnvironment>
#include <QStringList>

namespace platform {

// The languages the session asks for a program's texts, most wanted first, as Qt reads them: LC_ALL, else
// LC_MESSAGES, else LANG names the locale, and LANGUAGE may list languages before it (alone where none is set). A
// locale named C or POSIX (C.UTF-8 too) means the program's own English, whatever LANGUAGE says: an empty list.
QStringList MessageLanguages(const QProcessEnvironment& environment);

} // namespace platform
