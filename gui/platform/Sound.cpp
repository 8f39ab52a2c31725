#include "gui/platform/Sound.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <canberra.h>

namespace platform {

QString ResolveSoundFile(const QString& name, const QStringList& folders)
{
    if (name.isEmpty())
        return QString();
    if (name.contains(QLatin1Char('/')))
        return QFileInfo(name).isFile() ? name : QString();
    for (const QString& folder : folders) {
        const QString path = folder + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

CanberraSound::CanberraSound()
{
    if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return;
    }
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Parley", CA_PROP_APPLICATION_ID,
                            "org.quendlewick.Parley", nullptr);
}

CanberraSound::~CanberraSound()
{
    if (m_context)
        ca_context_destroy(m_context); // waits for nothing: playing sounds are cancelled
}

void CanberraSound::finished(ca_context*, unsigned, int, void* self)
{
    static_cast<CanberraSound*>(self)->m_playing.store(false);
}

bool CanberraSound::play(const char* property, const QByteArray& value)
{
    if (!m_context || m_playing.exchange(true))
        return m_context != nullptr; // no service, or a sound still plays: skipped
    ca_proplist* properties = nullptr;
    ca_proplist_create(&properties);
    ca_proplist_sets(properties, property, value.constData());
    ca_proplist_sets(properties, CA_PROP_EVENT_DESCRIPTION, "New message");
    const int result = ca_context_play_full(m_context, ++m_lastId, properties, &CanberraSound::finished, this);
    ca_proplist_destroy(properties);
    if (result != CA_SUCCESS)
        m_playing.store(false);
    return result != CA_ERROR_NOTAVAILABLE && result != CA_ERROR_NOTSUPPORTED && result != CA_ERROR_DISCONNECTED;
}

void CanberraSound::beep()
{
    if (!play(CA_PROP_EVENT_ID, "message-new-instant"))
        QApplication::beep();
}

void CanberraSound::playFile(const QString& name, const QStringList& folders)
{
    const QString path = ResolveSoundFile(name, folders);
    if (!path.isEmpty())
        play(CA_PROP_MEDIA_FILENAME, QFile::encodeName(path));
}

} // namespace platform
