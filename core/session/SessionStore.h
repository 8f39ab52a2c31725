#pragma once

#include "core/config/Settings.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>

class UserList;
namespace platform {
class ProfileFile;
}

// What survives between runs in "Parley.ini", in the program folder: the settings, the user list, the own name and
// the main window's place. It loads all of it before any window exists and saves it when the program goes; the
// windows only show and edit what it holds. The chat record keeps "chat.txt".
class SessionStore {
public:
    // The main window's place, as the file stores it: outer size, frame included.
    struct WindowPlace {
        QString userName = QStringLiteral("Somebody");
        QPoint topLeft{100, 55};
        QSize outerSize;
    };

    SessionStore(QString programDir, QSize defaultOuterSize, QSize minimumOuterSize);
    ~SessionStore();

    QString programDir() const { return m_programDir; }
    QString iniPath() const { return m_programDir + QStringLiteral("Parley.ini"); }
    QString chatPath() const { return m_programDir + QStringLiteral("chat.txt"); }

    // A per-user folder without its own "Parley.ini" starts from the one in this folder, written as the store
    // writes it. Throws when that cannot be read or the copy cannot be written.
    void seedFrom(const QString& folder) const;
    Settings loadSettings(int versionCode) const;
    // Throws the conversion error of a hand-edited entry; the entries before it are loaded.
    void loadUserList(UserList& users) const;
    WindowPlace loadWindowPlace() const;

    // The window's place and the user list, each a key of its own, into "Parley.ini". Throws when it cannot.
    void saveWindowAndList(const WindowPlace& place, const UserList& users) const;
    // What the Configuration dialog and the Users dialog hand over when they close: the store is the one writer of
    // "Parley.ini", and each save changes only its own keys. Throw when it cannot.
    void saveSettings(const Settings& settings) const;
    void saveUserList(const UserList& users) const;

private:
    void UpdateIni(const std::function<void(platform::ProfileFile&)>& change) const;

    QString m_programDir;
    QSize m_defaultOuterSize;
    QSize m_minimumOuterSize;
};
