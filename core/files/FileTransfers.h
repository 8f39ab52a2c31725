#pragma once

#include "core/files/FileLinks.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>

class QThread;
class QTimer;

namespace files {

// What the transfers need of the running session.
class FileHost {
public:
    virtual ~FileHost() = default;
    // What the person calls the copy at this address.
    virtual QString PeerName(quint32 address) const = 0;
    virtual bool PeerVerified(quint32 address) const = 0;
    // Every pinned peer key, by address; empty while private lines are off.
    virtual QHash<quint32, QByteArray> PinnedKeys() const = 0;
    virtual void NoteInChat(const QString& note) = 0;
    // Where received files go, and whether a verified peer's files are taken without asking.
    virtual QString ReceiveFolder() const = 0;
    virtual bool AcceptFromVerified() const = 0;
};

struct Transfer {
    enum class State { Offered, Waiting, Running, Paused, Done, Failed, Cancelled };
    QByteArray id;
    bool outgoing = false;
    quint32 address = 0;
    Offer offer;
    QStringList sources; // sending: where each file is read
    QString folder;      // receiving: where the files go
    QStringList targets; // receiving: each file's wanted path
    QList<bool> saved;   // receiving: which are whole under their names
    QStringList savedPaths;
    State state = State::Offered;
    bool pausedHere = false;
    bool pausedThere = false;
    QString status; // what it waits for, or how it ended, in the person's words
    quint64 done = 0;
    double bytesPerSecond = 0;
    QElapsedTimer sampleClock;
    quint64 sampleDone = 0;

    bool Ended() const { return state == State::Done || state == State::Failed || state == State::Cancelled; }
};

// Every file transfer of this copy, with its state for the transfers window, its notes in the chat and what a
// restart needs to go on. Lives on the main thread; the links run on their own.
// Its texts are in the context "FileTransfers": tr() would look them up under the namespace.
class FileTransfers : public QObject, private FileEvents {
    Q_OBJECT
public:
    static constexpr int RetryMs = 15000;
    // Fewer than the links one address may hold: a peer that offers and offers meets the refusal and its note.
    static constexpr int MaxOffersPerPeer = 5;
    static constexpr int MaxOffers = 50;
    // Ended transfers stay in the window this long a list.
    static constexpr int MaxEndedShown = 200;

    FileTransfers(FileHost& host, QObject* parent = nullptr);
    ~FileTransfers() override;

    // Where unfinished transfers are kept across restarts ("Parley.transfers" beside the settings). Throws, with the
    // file named and left as it is, when it cannot be read whole: none of it goes on, and nothing is kept this session.
    void UseFolder(const QString& folder);
    // The links listen and unfinished transfers go on: called when private lines have started.
    void Start(const net::Identity& identity, const QHostAddress& listenAddress, quint16 port, quint16 peerPort);
    void Stop();
    bool Running() const { return m_running; }
    // The peer's private line has come up: its key is pinned, and what waits for it goes.
    void PeerReachable(quint32 address);

    // Offers these files and folders to the copy at this address. Returns why it cannot, empty when it goes: what the
    // folders hold is then gathered, and a note says what was offered.
    QString Send(quint32 address, const QStringList& paths);
    // Why files cannot go to this peer now; empty where they can.
    QString RefusalToSend(quint32 address) const;
    void Accept(const QByteArray& id);
    void Decline(const QByteArray& id);
    void Pause(const QByteArray& id, bool paused);
    void Cancel(const QByteArray& id);

    const QList<Transfer>& transfers() const { return m_transfers; }
    const Transfer* find(const QByteArray& id) const;
    // "report.pdf", "Photos (12 files)", "report.pdf and 2 more files".
    static QString Summary(const Offer& offer);
    QString FolderOf(const Transfer& transfer) const;
    QString PeerName(quint32 address) const { return m_host.PeerName(address); }

Q_SIGNALS:
    void changed(const QByteArray& id);
    void listChanged();
    // A peer offers files: the person decides.
    void offered(const QByteArray& id, const QString& text);

private:
    void Offered(quint32 address, const Offer& offer) override;
    void Progress(const QByteArray& id, quint64 done) override;
    void Saved(const QByteArray& id, const QList<std::pair<int, QString>>& saved) override;
    void Finished(const QByteArray& id) override;
    void Ended(const QByteArray& id, bool byPeer, CancelReason reason, const QString& file) override;
    void Interrupted(const QByteArray& id, Interruption why) override;
    void PausedByPeer(const QByteArray& id, bool paused) override;
    void Refused(quint32 address, CancelReason reason) override;
    void ListenFailed(const QString& why) override;

    // The files found under what the person chose go out as one offer.
    void OfferGathered(quint32 address, const QStringList& sources, const QList<OfferedFile>& files,
                       const QStringList& skipped);
    Transfer* Find(const QByteArray& id);
    template <typename Call> void OnLinks(Call call);
    // "report.pdf, 2.1 MB, from Bob" / "..., to Bob".
    QString Heading(const Transfer& transfer) const;
    void End(Transfer& transfer, Transfer::State state, const QString& status);
    void Resume(Transfer& transfer);
    // Whether the receiving side can go on now: room on the disk, not paused here.
    QString RefusalToReceive(const Transfer& transfer) const;
    ReceivePlan PlanFor(Transfer& transfer) const;
    void RetryWaiting(std::optional<quint32> onlyAddress);
    void Save();
    void Load();
    void ApplySavedLog();
    void Trim();

    FileHost& m_host;
    QString m_folder;
    // Parley.transfers could not be read: it is kept as it is, and nothing is written over it this session.
    bool m_storeUnreadable = false;
    bool m_running = false;
    QThread* m_thread;
    FileLinks* m_links;
    QList<Transfer> m_transfers;
    QTimer* m_retry;
    // Addresses told that their offers were too many, until their offers are fewer again.
    QSet<quint32> m_toldTooMany;
};

} // namespace files
