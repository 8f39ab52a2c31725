#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace platform {

// Parley's texts in the first of these languages that it has, and Qt's own texts in that language with them; Qt's
// alone would turn half of the program foreign. Gives the language loaded, or nothing for the design's English.
QString LoadTranslations(QCoreApplication& application, const QStringList& languages);

} // namespace platform
