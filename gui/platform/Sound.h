#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

struct ca_context;

namespace platform {

// The desktop's sound service. Both calls return at once; a sound asked for while an earlier one still plays is
// skipped, and a file that cannot be played is silence.
class Sound {
public:
    virtual ~Sound() = default;
    // The desktop's "new message" sound (the classic default beep).
    virtual void beep() = 0;
    // A sound file; a bare name is looked up in each of the folders in turn.
    virtual void playFile(const QString& name, const QStringList& folders) = 0;
};

// The file a name stands for: itself when it holds a folder, else the first folder that has it; empty if none.
QString ResolveSoundFile(const QString& name, const QStringList& folders);

// libcanberra: the freedesktop sound theme's "message-new-instant" event for the beep (the X bell, which most
// desktops mute, only when no sound service answers), files by name.
class CanberraSound final : public Sound {
public:
    CanberraSound();
    ~CanberraSound() override;
    CanberraSound(const CanberraSound&) = delete;
    CanberraSound& operator=(const CanberraSound&) = delete;

    void beep() override;
    void playFile(const QString& name, const QStringList& folders) override;
    bool playing() const { return m_playing.load(); }

private:
    struct Library;
    // The library and the service's context, made at the first sound; false where either is missing.
    bool connected();
    bool play(const char* property, const QByteArray& value);
    static void finished(ca_context* context, unsigned id, int error, void* self);

    const Library* m_library = nullptr;
    bool m_triedToConnect = false;
    ca_context* m_context = nullptr;
    unsigned m_lastId = 0;
    // Set while a sound plays; the service's finish callback, on its own thread, clears it.
    std::atomic<bool> m_playing{false};
};

} // namespace platform
