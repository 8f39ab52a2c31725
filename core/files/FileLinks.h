#pragma once

#include "core/files/FileWire.h"
#include "core/net/Identity.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>

#include <functional>
#include <map>
#include <memory>

class QSslSocket;
class QTcpServer;
class QTimer;

namespace files {

// What the links tell the transfers' owner. Each call arrives on the owner's thread, in order.
class FileEvents {
public:
    enum class Interruption { Unreachable, ConnectionLost, Stalled, DiskFull, NotNow, KeyMismatch };
    virtual ~FileEvents() = default;
    virtual void Offered(quint32 address, const Offer& offer) = 0;
    virtual void Progress(const QByteArray& id, quint64 done) = 0;
    // Files whose names they have now: by index, where each was saved.
    virtual void Saved(const QByteArray& id, const QList<std::pair<int, QString>>& saved) = 0;
    virtual void Finished(const QByteArray& id) = 0;
    // The peer ended it, or this copy had to: a reason code and, where it is about one file, its path.
    virtual void Ended(const QByteArray& id, bool byPeer, CancelReason reason, const QString& file) = 0;
    // The transfer stopped on the way; the sender tries again later.
    virtual void Interrupted(const QByteArray& id, Interruption why) = 0;
    virtual void PausedByPeer(const QByteArray& id, bool paused) = 0;
    // An offer from this address was refused before it became a transfer (it was not valid, or one too many).
    virtual void Refused(quint32 address, CancelReason reason) = 0;
    virtual void ListenFailed(const QString& why) = 0;
};

// The sender's side: where each offered file is read from.
struct SendPlan {
    quint32 address = 0;
    Offer offer;
    QStringList sources;
};

// The receiver's side: the path each file is to have once whole (a number is added where it is taken), and which
// were saved before.
struct ReceivePlan {
    QStringList targets;
    QList<bool> saved;
    // Where the names of saved files are added, one line each, as they are saved: a restart knows them.
    QString savedLog;
};

// The file connections, all on one worker thread: TLS, reading and writing files and their hashes never hold up
// the chat. Every public call is made on that thread (the owner posts them there).
class FileLinks : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 HighWater = 2 * 1024 * 1024;
    static constexpr qint64 ReadBuffer = 2 * 1024 * 1024;
    static constexpr int MaxLinksPerAddress = 8;
    static constexpr int MaxLinks = 128;
    static constexpr int HandshakeTimeoutMs = 10000;
    static constexpr int StallTimeoutMs = 30000;
    static constexpr int ProgressEveryMs = 200;

    FileLinks(FileEvents& events, QObject* eventContext);
    ~FileLinks() override;

    void Listen(const net::Identity& identity, const QHostAddress& address, quint16 port, quint16 peerPort);
    void Stop();
    // The keys pinned for each peer address: a file link carries nothing for any other key.
    void SetKeys(const QHash<quint32, QByteArray>& keys) { m_keys = keys; }
    void Send(const SendPlan& plan);
    void Accept(const QByteArray& id, const ReceivePlan& plan);
    void NotNow(const QByteArray& id);
    void Cancel(const QByteArray& id, CancelReason reason);
    void Pause(const QByteArray& id, bool paused);

private:
    enum class Stage { Handshake, AwaitOffer, AwaitDecision, AwaitAccept, Running, Finished };
    struct Link;

    void Post(std::function<void(FileEvents&)> event);
    QSslConfiguration Configuration() const;
    void Incoming(qintptr descriptor);
    Link& Adopt(QSslSocket* socket, quint32 address, bool outgoing);
    void Encrypted(Link& link);
    void Read(Link& link);
    void Handle(Link& link, const Frame& frame);
    void Close(Link& link);
    void Drop(QSslSocket* socket);
    void Write(Link& link, Kind kind, const QByteArray& payload = QByteArray());
    void Abandon(Link& link, CancelReason reason, const QString& file = QString());
    void Lost(Link& link, FileEvents::Interruption why);
    Link* LinkOf(const QByteArray& id) const;
    int LinksFrom(quint32 address) const;
    void CheckStalls();
    void ReportProgress(Link& link, bool now);
    // What was saved since the last report, before anything else is said of the link.
    void ReportSaved(Link& link);

    // Sending
    void Accepted(Link& link, const QByteArray& payload);
    void Pump(Link& link);
    bool OpenNextSource(Link& link);
    void ResultArrived(Link& link, const QByteArray& payload);

    // Receiving
    void OfferArrived(Link& link, const QByteArray& payload);
    void DataArrived(Link& link, const QByteArray& payload);
    bool OpenPartial(Link& link, quint32 index, quint64 offset);
    void FinishIfAllEnded(Link& link);
    void FileEndArrived(Link& link, const QByteArray& payload);
    void WriteFailed(Link& link);

    FileEvents& m_events;
    QPointer<QObject> m_eventContext;
    std::optional<net::Identity> m_identity;
    quint16 m_peerPort = 0;
    QTcpServer* m_server = nullptr;
    QHash<quint32, QByteArray> m_keys;
    std::map<QSslSocket*, std::unique_ptr<Link>> m_links;
    QTimer* m_stallCheck;
};

} // namespace files
