#include "platform/SaveFile.h"

#include <QSaveFile>

namespace platform {

QString SaveFileAtomically(const QString& path, const QByteArray& data)
{
    return SaveFileAtomically(path, [&data](QIODevice& file) { return file.write(data) == data.size(); });
}

QString SaveFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writer)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!writer(file)) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace platform
