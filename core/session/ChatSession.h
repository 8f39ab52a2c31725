#pragma once

#include "core/base/BoxQueue.h"
#include "core/config/Settings.h"
#include "core/files/FileTransfers.h"
#include "core/net/ConnectionManager.h"
#include "core/net/Wire.h"
#include "core/session/ChatRecord.h"
#include "core/session/Outbox.h"
#include "core/users/UserList.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

// What is running: the user list, the listening socket and the connections, the own name and the service state.
// It says what happened through signals; the windows are its views and never reach into one another.
class ChatSession : public QObject, private net::ConnectionHost, private files::FileHost {
    Q_OBJECT
public:
    ChatSession(const Settings& settings, const QHostAddress& listenAddress, quint16 listenPort, quint16 peerPort,
                QObject* parent = nullptr);
    ~ChatSession() override;

    // The conversation: every line and note, and "chat.txt".
    ChatRecord& record() { return m_record; }
    const ChatRecord& record() const { return m_record; }
    ::UserList& userList() { return m_userList; }
    const ::UserList& userList() const { return m_userList; }
    net::ConnectionManager& connections() { return *m_connections; }
    const net::ConnectionManager& connections() const { return *m_connections; }

    const Settings& settings() const { return m_settings; }
    bool Running() const { return m_running; }
    // Run!: the listening socket, then every entry's outgoing connection; throws the socket error when the port
    // cannot be had, and the service stays stopped.
    void Run();
    // Stop!: the established outgoing connections close, the listening socket drops every accepted connection.
    void Stop();

    // Private lines keep their key pair and pins in this folder; they run from the next Run! while the settings say so.
    // Throws when unfinished transfers kept there cannot be read: none goes on then, and the file is kept.
    void UsePrivateLines(const QString& folder, quint16 listenPort = net::PrivatePort,
                         quint16 peerPort = net::PrivatePort)
    {
        m_connections->UsePrivateLines(folder, listenPort, peerPort);
        m_files.UseFolder(folder);
    }
    // Files between copies: they go on private lines' keys, while those run.
    files::FileTransfers& files() { return m_files; }
    const files::FileTransfers& files() const { return m_files; }
    // The folder received files go to, as the settings say or by default.
    QString ReceiveFolder() const override;

    // Lines for absent peers wait in this file (where the settings say so) and go when they come back. Throws when
    // lines kept there earlier cannot be read: none is sent then, and the file is kept.
    void UseOutbox(const QString& path) { m_outbox.useFile(path); }

    // Silent mode: an arriving line only flashes the icon; no window, popup or sound.
    bool Silent() const { return m_silent; }
    void ToggleSilent();

    QString UserName() const { return m_userName; }
    void SetUserName(const QString& name) { m_userName = name; }

    // The own line (name, ": ", text) into the record, and the text to every accepted connection; ticked peers
    // without a connection to us are named in a note after it.
    void SendToEveryone(const QString& text);
    // "not delivered to: Ann, Bob", with at most MaxNamesInNote names and a count of the rest.
    static QString NotDeliveredNote(const QStringList& names);
    // "waiting for: Ann, Bob (sent when they connect)", as many names.
    static QString WaitingNote(const QStringList& names);
    static constexpr qsizetype MaxNamesInNote = 10;
    // Lines that waited go this far apart: the wire has no framing, and lines that reach the peer in one read would
    // be one line there.
    static constexpr int OutboxPaceMs = 300;
    // The own personal line (name, ":: ", text) to this recipient into the record; the text goes out when the
    // dialog has closed.
    void NotePersonalLine(const QString& text, const QString& recipient);
    // The text to the peer of row j, or to its newer connection; false when that peer has gone.
    bool SendPersonal(quint64 connection, const QString& address, const QString& text);
    // The own name to every accepted connection, changed or not.
    void AnnounceName();

    // The user list's rules, which the Users dialog asks before it changes the list. Each answers with the text
    // of the refusal, or an empty text when the change may go ahead.
    // While running the list may only grow.
    QString RefusalToChange(const QString& name) const;
    QString RefusalToRemove() const;
    // An entry may not take an address another entry has (except: the entry being changed, or -1).
    QString RefusalOfAddress(const QString& address, int except) const;
    QString RefusalToAdd(const QString& address, const QString& name) const;
    // The changes themselves: a peer added while running is connected to at once.
    void AddUser(const QString& address, const QString& name);
    void UpdateUser(int k, const QString& address, const QString& name);
    void RemoveUser(int k);
    void ClearUsers();

Q_SIGNALS:
    // The rows of the user view may have changed.
    void viewChanged();
    // A box a network event raises; the view shows one at a time.
    void boxRequested(BoxQueue::Kind kind, const QString& text);
    // A question a network event raises; onYes runs when the person says yes.
    void questionRequested(const QString& text, std::function<void()> onYes);
    void runningChanged(bool running);
    void silentChanged(bool silent);

private:
    QString OwnUserName() const override { return m_userName; }
    bool AddNewIP() const override { return m_settings.AddNewIP; }
    bool ShowYour() const override { return m_settings.ShowYour; }
    bool PrivateLines() const override { return m_settings.PrivateLines; }
    QString WireEncoding() const override { return m_settings.Encoding; }
    void UserViewChanged() override;
    void ShowInformation(const QString& text) override;
    void ShowError(const QString& text) override;
    void ShowKeyWarning(const QString& text) override;
    void Ask(const QString& text, std::function<void()> onYes) override
    {
        Q_EMIT questionRequested(text, std::move(onYes));
    }
    void AppendNote(const QString& note) override { m_record.addNote(note); }
    qint64 LastEntry() const override { return m_record.lastEntry(); }
    void AppendNoteTo(qint64 entry, const QString& note) override { m_record.addNote(entry, note); }
    void LineArrived(const net::IncomingLine& line) override;
    bool KeepForLater(quint32 address, const QByteArray& message, qint64 entry) override;
    void PeerReachable(quint32 address) override;
    // The oldest line waiting for the peer goes, and the next after OutboxPaceMs, while its way holds.
    void SendWaiting(quint32 address);
    // The line into the outbox for this peer, where the settings say so; the reason it was not, empty when it was.
    std::optional<QString> KeptForLater(quint32 address, const QByteArray& message, qint64 entry);
    void SetRunning(bool running);
    // Files run where private lines have opened.
    void StartFiles();
    QString PeerName(quint32 address) const override { return m_connections->PeerNameAt(address); }
    bool PeerVerified(quint32 address) const override;
    QHash<quint32, QByteArray> PinnedKeys() const override;
    void NoteInChat(const QString& note) override { m_record.addNote(note); }
    bool AcceptFromVerified() const override { return m_settings.AcceptFromVerified; }

    const Settings& m_settings;
    QString m_userName = QStringLiteral("Somebody");
    bool m_running = false;
    bool m_silent = false;
    // Before the connections, which may still add a line as they go.
    ChatRecord m_record;
    Outbox m_outbox;
    // Peers whose waiting lines are going out, one at a time.
    QSet<quint32> m_sendingWaiting;
    // Declared before the user list, so the list's entries, going when it goes, still reach the manager.
    std::unique_ptr<net::ConnectionManager> m_connections;
    ::UserList m_userList;
    // After the connections: its notes and names ask them.
    files::FileTransfers m_files{static_cast<files::FileHost&>(*this)};
};
