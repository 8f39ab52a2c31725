#include "gui/platform/Sound.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <type_traits>

#include <canberra.h>
#include <dlfcn.h>

namespace platform {

// libcanberra, loaded at the first sound rather than linked: with its codecs it maps 0.4 MiB in every copy, and
// many people turn the sound off.
struct CanberraSound::Library {
    decltype(&::ca_context_create) contextCreate = nullptr;
    decltype(&::ca_context_change_props) changeProps = nullptr;
    decltype(&::ca_context_destroy) contextDestroy = nullptr;
    decltype(&::ca_context_play_full) playFull = nullptr;
    decltype(&::ca_proplist_create) proplistCreate = nullptr;
    decltype(&::ca_proplist_sets) proplistSets = nullptr;
    decltype(&::ca_proplist_destroy) proplistDestroy = nullptr;

    // Null where the system has no libcanberra.so.0; never unloaded, as its threads may still finish a sound.
    static const Library* Load()
    {
        static const std::unique_ptr<Library> loaded = [] {
            void* handle = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
            if (!handle)
                return std::unique_ptr<Library>();
            auto library = std::make_unique<Library>();
            bool complete = true;
            const auto resolve = [&](auto& function, const char* name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(handle, name));
                complete = complete && function;
            };
            resolve(library->contextCreate, "ca_context_create");
            resolve(library->changeProps, "ca_context_change_props");
            resolve(library->contextDestroy, "ca_context_destroy");
            resolve(library->playFull, "ca_context_play_full");
            resolve(library->proplistCreate, "ca_proplist_create");
            resolve(library->proplistSets, "ca_proplist_sets");
            resolve(library->proplistDestroy, "ca_proplist_destroy");
            return complete ? std::move(library) : std::unique_ptr<Library>();
        }();
        return loaded.get();
    }
};

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

CanberraSound::CanberraSound() = default;

CanberraSound::~CanberraSound()
{
    if (m_context)
        m_library->contextDestroy(m_context); // waits for nothing: playing sounds are cancelled
}

bool CanberraSound::connected()
{
    if (m_triedToConnect)
        return m_context != nullptr;
    m_triedToConnect = true;
    m_library = Library::Load();
    if (!m_library || m_library->contextCreate(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return false;
    }
    m_library->changeProps(m_context, CA_PROP_APPLICATION_NAME, "Parley", CA_PROP_APPLICATION_ID,
                           "org.quendlewick.Parley", nullptr);
    return true;
}

void CanberraSound::finished(ca_context*, unsigned, int, void* self)
{
    static_cast<CanberraSound*>(self)->m_playing.store(false);
}

bool CanberraSound::play(const char* property, const QByteArray& value)
{
    if (!connected() || m_playing.exchange(true))
        return m_context != nullptr; // no service, or a sound still plays: skipped
    ca_proplist* properties = nullptr;
    m_library->proplistCreate(&properties);
    m_library->proplistSets(properties, property, value.constData());
    m_library->proplistSets(properties, CA_PROP_EVENT_DESCRIPTION, "New message");
    const int result = m_library->playFull(m_context, ++m_lastId, properties, &CanberraSound::finished, this);
    m_library->proplistDestroy(properties);
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
