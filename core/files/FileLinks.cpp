#include "core/files/FileLinks.h"

#include "core/base/Errors.h"
#include "core/files/FileNames.h"
#include "core/files/Sha256.h"
#include "core/net/KeepAlive.h"
#include "core/net/ListeningSocket.h"
#include "core/platform/SaveFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>
#include <QtEndian>

#include <unistd.h>

namespace files {

namespace {

// From this size a file's hash goes on a thread of its own.
constexpr quint64 HashBehindFrom = 4 * 1024 * 1024;

// SHA-256 of the first bytes of a file; empty when it has fewer.
QByteArray PrefixHash(QFile& file, quint64 length, Sha256& hash)
{
    hash.reset();
    if (!file.seek(0) || quint64(file.size()) < length)
        return QByteArray();
    QByteArray buffer(DataChunk, Qt::Uninitialized);
    for (quint64 left = length; left > 0;) {
        const qint64 got = file.read(buffer.data(), qint64(std::min<quint64>(left, DataChunk)));
        if (got <= 0)
            return QByteArray();
        hash.addData(QByteArrayView(buffer.constData(), got));
        left -= quint64(got);
    }
    return hash.result();
}

} // namespace

struct FileLinks::Link {
    QSslSocket* socket = nullptr;
    quint32 address = 0;
    bool outgoing = false;
    Stage stage = Stage::Handshake;
    FrameReader reader;
    Offer offer;
    bool pausedHere = false;
    bool pausedThere = false;
    quint64 done = 0;
    QElapsedTimer lastProgress;
    QElapsedTimer lastData;
    // The file being read or written, its index and how far.
    int current = -1;
    QFile file;
    Sha256 hash;
    // A big file's hash goes on a thread of its own (hash holds where it starts); a small one's here, where handing
    // each file over and waiting for it would cost more than the hash.
    std::unique_ptr<HashBehind> behind;
    bool hashingBehind = false;

    void startHash(quint64 size)
    {
        hashingBehind = size >= HashBehindFrom;
        if (!hashingBehind)
            return;
        if (!behind)
            behind = std::make_unique<HashBehind>();
        behind->restartFrom(hash);
    }
    void addToHash(const QByteArray& chunk, qsizetype offset, qsizetype length)
    {
        if (hashingBehind)
            behind->add(chunk, offset, length);
        else
            hash.addData(QByteArrayView(chunk.constData() + offset, length));
    }
    QByteArray hashResult() { return hashingBehind ? behind->result() : hash.result(); }
    quint64 position = 0;
    QList<Start> starts;
    // Sending
    QStringList sources;
    qsizetype results = 0;
    // Receiving
    ReceivePlan plan;
    QList<bool> ended;
    qsizetype endedCount = 0;
    // Saved since the last report to the owner: reported with progress, not one event a file.
    QList<std::pair<int, QString>> savedSince;
    QFile savedLog;
    QString lastFolder;
};

FileLinks::FileLinks(FileEvents& events, QObject* eventContext)
    : m_events(events), m_eventContext(eventContext), m_stallCheck(new QTimer(this))
{
    m_stallCheck->setInterval(StallTimeoutMs / 6);
    connect(m_stallCheck, &QTimer::timeout, this, [this] { CheckStalls(); });
    m_stallCheck->start();
}

FileLinks::~FileLinks()
{
    Stop();
}

void FileLinks::Post(std::function<void(FileEvents&)> event)
{
    if (!m_eventContext)
        return;
    QMetaObject::invokeMethod(
        m_eventContext, [events = &m_events, event = std::move(event)] { event(*events); }, Qt::QueuedConnection);
}

void FileLinks::Listen(const net::Identity& identity, const QHostAddress& address, quint16 port, quint16 peerPort)
{
    Stop();
    m_identity = identity;
    m_peerPort = peerPort;
    auto* listener = new net::DescriptorListener;
    listener->setParent(this);
    listener->incoming = [this](qintptr descriptor) { Incoming(descriptor); };
    m_server = listener;
    try {
        const int fd = net::OpenListeningSocket(address, port);
        if (!m_server->setSocketDescriptor(fd)) {
            ::close(fd);
            throw ParleyError(QString());
        }
    } catch (const ParleyError&) {
        delete std::exchange(m_server, nullptr);
        Post([port](FileEvents& events) {
            events.ListenFailed(
                QCoreApplication::translate("Files", "Files cannot be received: port %1 is taken.").arg(port));
        });
    }
}

void FileLinks::Stop()
{
    delete std::exchange(m_server, nullptr);
    while (!m_links.empty())
        Drop(m_links.begin()->first);
}

QSslConfiguration FileLinks::Configuration() const
{
    QSslConfiguration configuration = net::TlsConfiguration(*m_identity);
    configuration.setAllowedNextProtocols({Protocol});
    return configuration;
}

int FileLinks::LinksFrom(quint32 address) const
{
    return int(std::count_if(m_links.begin(), m_links.end(),
                             [address](const auto& entry) { return entry.second->address == address; }));
}

void FileLinks::Incoming(qintptr descriptor)
{
    auto* socket = new QSslSocket;
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(int(descriptor));
        delete socket;
        return;
    }
    const std::optional<quint32> address = net::PeerIPv4(*socket);
    // Only a peer with a pinned key gets a handshake, and only so many at once.
    if (!m_identity || !address || !m_keys.contains(*address) || LinksFrom(*address) >= MaxLinksPerAddress ||
        qsizetype(m_links.size()) >= MaxLinks) {
        socket->abort();
        delete socket;
        return;
    }
    Link& link = Adopt(socket, *address, false);
    socket->setSslConfiguration(Configuration());
    socket->startServerEncryption();
    Q_UNUSED(link);
}

FileLinks::Link& FileLinks::Adopt(QSslSocket* socket, quint32 address, bool outgoing)
{
    auto link = std::make_unique<Link>();
    link->socket = socket;
    link->address = address;
    link->outgoing = outgoing;
    link->lastData.start();
    // What arrives waits in the kernel, not here, while the disk takes what came before.
    socket->setReadBufferSize(ReadBuffer);
    Link& adopted = *link;
    m_links.emplace(socket, std::move(link));
    connect(socket, &QSslSocket::encrypted, this, [this, socket] {
        if (const auto found = m_links.find(socket); found != m_links.end())
            Encrypted(*found->second);
    });
    connect(socket, &QSslSocket::readyRead, this, [this, socket] {
        if (const auto found = m_links.find(socket); found != m_links.end())
            Read(*found->second);
    });
    // What is still to go counts twice over in TLS: the plain bytes not yet encrypted and the encrypted ones not yet
    // sent. Reading on waits for both to drain.
    const auto drained = [this, socket] {
        if (const auto found = m_links.find(socket); found != m_links.end() && found->second->outgoing)
            Pump(*found->second);
    };
    connect(socket, &QSslSocket::bytesWritten, this, drained);
    connect(socket, &QSslSocket::encryptedBytesWritten, this, drained);
    const auto gone = [this, socket] {
        if (const auto found = m_links.find(socket); found != m_links.end())
            Lost(*found->second, found->second->stage == Stage::Handshake ? FileEvents::Interruption::Unreachable
                                                                          : FileEvents::Interruption::ConnectionLost);
    };
    connect(socket, &QSslSocket::disconnected, this, gone, Qt::QueuedConnection);
    connect(socket, &QSslSocket::errorOccurred, this, gone, Qt::QueuedConnection);
    QTimer::singleShot(HandshakeTimeoutMs, socket, [socket] {
        if (!socket->isEncrypted())
            socket->abort();
    });
    return adopted;
}

void FileLinks::Encrypted(Link& link)
{
    const QSslCertificate shown = link.socket->peerCertificate();
    const bool agreed = link.socket->sslConfiguration().nextNegotiatedProtocol() == Protocol;
    if (!agreed || shown.isNull() || net::KeyFingerprint(shown) != m_keys.value(link.address)) {
        if (link.outgoing)
            return Lost(link, agreed ? FileEvents::Interruption::KeyMismatch : FileEvents::Interruption::Unreachable);
        return Drop(link.socket);
    }
    net::EnableKeepAlive(link.socket->socketDescriptor());
    link.lastData.start();
    if (link.outgoing) {
        link.stage = Stage::AwaitAccept;
        Write(link, Kind::Offer, EncodeOffer(link.offer));
    } else {
        link.stage = Stage::AwaitOffer;
    }
}

void FileLinks::Write(Link& link, Kind kind, const QByteArray& payload)
{
    link.socket->write(EncodeFrame(kind, payload));
}

void FileLinks::Read(Link& link)
{
    QSslSocket* socket = link.socket;
    link.reader.readFrom(*socket);
    link.lastData.start();
    while (m_links.count(socket)) {
        const std::optional<Frame> frame = link.reader.next();
        if (!frame)
            break;
        Handle(link, *frame);
    }
    if (m_links.count(socket) && link.reader.broken())
        Abandon(link, CancelReason::ProtocolError);
}

void FileLinks::Handle(Link& link, const Frame& frame)
{
    switch (frame.kind) {
    case Kind::Offer:
        return link.stage == Stage::AwaitOffer ? OfferArrived(link, frame.payload)
                                               : Abandon(link, CancelReason::ProtocolError);
    case Kind::Accept:
        return link.stage == Stage::AwaitAccept ? Accepted(link, frame.payload)
                                                : Abandon(link, CancelReason::ProtocolError);
    case Kind::Later:
        return link.outgoing ? Lost(link, FileEvents::Interruption::NotNow)
                             : Abandon(link, CancelReason::ProtocolError);
    case Kind::Data:
        return !link.outgoing && link.stage == Stage::Running ? DataArrived(link, frame.payload)
                                                              : Abandon(link, CancelReason::ProtocolError);
    case Kind::FileEnd:
        return !link.outgoing && link.stage == Stage::Running ? FileEndArrived(link, frame.payload)
                                                              : Abandon(link, CancelReason::ProtocolError);
    case Kind::FileResult:
        return link.outgoing && link.stage == Stage::Running ? ResultArrived(link, frame.payload)
                                                             : Abandon(link, CancelReason::ProtocolError);
    case Kind::Pause:
    case Kind::Resume:
        link.pausedThere = frame.kind == Kind::Pause;
        Post([id = link.offer.id, paused = link.pausedThere](FileEvents& events) { events.PausedByPeer(id, paused); });
        if (link.outgoing)
            Pump(link);
        return;
    case Kind::Cancel: {
        const CancelReason reason =
            frame.payload.size() == 1 ? CancelReason(quint8(frame.payload[0])) : CancelReason::ProtocolError;
        const QByteArray id = link.offer.id;
        Close(link);
        if (!id.isEmpty())
            Post([id, reason](FileEvents& events) { events.Ended(id, true, reason, QString()); });
        return;
    }
    }
}

void FileLinks::Close(Link& link)
{
    ReportSaved(link);
    if (link.stage != Stage::Finished && link.file.isOpen())
        link.file.close();
    link.stage = Stage::Finished;
    link.socket->disconnectFromHost();
    Drop(link.socket);
}

void FileLinks::Drop(QSslSocket* socket)
{
    const auto found = m_links.find(socket);
    if (found == m_links.end())
        return;
    socket->disconnect(this);
    std::unique_ptr<Link> link = std::move(found->second);
    m_links.erase(found);
    if (socket->state() != QAbstractSocket::UnconnectedState && socket->bytesToWrite() == 0)
        socket->abort();
    // A closing frame still on its way goes before the socket does.
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
    else
        QTimer::singleShot(HandshakeTimeoutMs, socket, [socket] { socket->abort(); });
}

void FileLinks::Abandon(Link& link, CancelReason reason, const QString& file)
{
    if (link.socket->isEncrypted())
        Write(link, Kind::Cancel, QByteArray(1, char(reason)));
    const QByteArray id = link.offer.id;
    const bool known = link.stage != Stage::Handshake && link.stage != Stage::AwaitOffer &&
                       (link.outgoing || link.stage != Stage::AwaitDecision || !id.isEmpty());
    const quint32 address = link.address;
    Close(link);
    if (known && !id.isEmpty())
        Post([id, reason, file](FileEvents& events) { events.Ended(id, false, reason, file); });
    else
        Post([address, reason](FileEvents& events) { events.Refused(address, reason); });
}

void FileLinks::Lost(Link& link, FileEvents::Interruption why)
{
    ReportSaved(link);
    const QByteArray id = link.offer.id;
    const bool tell = link.outgoing || link.stage == Stage::Running || link.stage == Stage::AwaitDecision;
    if (link.file.isOpen())
        link.file.close();
    link.stage = Stage::Finished;
    Drop(link.socket);
    if (tell && !id.isEmpty())
        Post([id, why](FileEvents& events) { events.Interrupted(id, why); });
}

FileLinks::Link* FileLinks::LinkOf(const QByteArray& id) const
{
    for (const auto& [socket, link] : m_links)
        if (link->offer.id == id && link->stage != Stage::Finished)
            return link.get();
    return nullptr;
}

void FileLinks::CheckStalls()
{
    QList<QSslSocket*> stalled;
    for (const auto& [socket, link] : m_links) {
        // Waiting for the person to accept is no stall; waiting for bytes that should come is.
        const bool waitingForPeer =
            link->stage == Stage::AwaitOffer ||
            (link->stage == Stage::Running && !link->outgoing && !link->pausedHere && !link->pausedThere);
        if (waitingForPeer && link->lastData.elapsed() > StallTimeoutMs)
            stalled.append(socket);
    }
    for (QSslSocket* socket : stalled)
        if (const auto found = m_links.find(socket); found != m_links.end())
            Lost(*found->second, FileEvents::Interruption::Stalled);
}

void FileLinks::ReportProgress(Link& link, bool now)
{
    if (!now && link.lastProgress.isValid() && link.lastProgress.elapsed() < ProgressEveryMs)
        return;
    link.lastProgress.start();
    ReportSaved(link);
    Post([id = link.offer.id, done = link.done](FileEvents& events) { events.Progress(id, done); });
}

void FileLinks::ReportSaved(Link& link)
{
    if (link.savedSince.isEmpty())
        return;
    Post([id = link.offer.id, saved = std::exchange(link.savedSince, {})](FileEvents& events) {
        events.Saved(id, saved);
    });
}

void FileLinks::Pause(const QByteArray& id, bool paused)
{
    Link* link = LinkOf(id);
    if (!link || link->pausedHere == paused)
        return;
    link->pausedHere = paused;
    Write(*link, paused ? Kind::Pause : Kind::Resume);
    if (link->outgoing)
        Pump(*link);
}

void FileLinks::Cancel(const QByteArray& id, CancelReason reason)
{
    if (Link* link = LinkOf(id)) {
        if (link->socket->isEncrypted())
            Write(*link, Kind::Cancel, QByteArray(1, char(reason)));
        Close(*link);
    }
}

// ---- Sending ----

void FileLinks::Send(const SendPlan& plan)
{
    if (!m_identity || LinkOf(plan.offer.id))
        return;
    auto* socket = new QSslSocket;
    socket->setProxy(QNetworkProxy::NoProxy);
    Link& link = Adopt(socket, plan.address, true);
    link.offer = plan.offer;
    link.sources = plan.sources;
    socket->setSslConfiguration(Configuration());
    socket->connectToHostEncrypted(QHostAddress(plan.address).toString(), m_peerPort);
}

void FileLinks::Accepted(Link& link, const QByteArray& payload)
{
    std::optional<QList<Start>> starts = DecodeAccept(payload, link.offer.files.size());
    if (!starts)
        return Abandon(link, CancelReason::ProtocolError);
    link.starts = *starts;
    link.stage = Stage::Running;
    link.results = 0;
    link.done = 0;
    for (qsizetype i = 0; i < link.starts.size(); ++i) {
        if (link.starts[i].offset == AlreadySaved) {
            ++link.results;
            link.done += link.offer.files[i].size;
        }
    }
    ReportProgress(link, true);
    if (link.results == link.offer.files.size()) {
        const QByteArray id = link.offer.id;
        Close(link);
        return Post([id](FileEvents& events) { events.Finished(id); });
    }
    Pump(link);
}

bool FileLinks::OpenNextSource(Link& link)
{
    for (int i = link.current + 1; i < link.offer.files.size(); ++i) {
        if (link.starts[i].offset == AlreadySaved)
            continue;
        link.current = i;
        link.file.setFileName(link.sources[i]);
        // Unbuffered: the data frames are the buffer, and a small file takes one read.
        if (!link.file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            Abandon(link, CancelReason::SourceUnreadable, link.sources[i]);
            return false;
        }
        quint64 offset = link.starts[i].offset;
        const quint64 size = link.offer.files[i].size;
        // The receiver's bytes go on only where they are this file's first bytes.
        if (offset != 0 && (offset > size || PrefixHash(link.file, offset, link.hash) != link.starts[i].prefixHash))
            offset = 0;
        if (offset == 0)
            link.hash.reset();
        link.startHash(size);
        if (link.file.pos() != qint64(offset) && !link.file.seek(qint64(offset))) {
            Abandon(link, CancelReason::SourceUnreadable, link.sources[i]);
            return false;
        }
        link.position = offset;
        link.done += offset;
        // An empty file has no data: its first frame is its header alone.
        const DataHeader header{quint32(i), offset};
        Write(link, Kind::Data, EncodeDataHeader(header));
        return true;
    }
    return false;
}

void FileLinks::Pump(Link& link)
{
    QSslSocket* socket = link.socket;
    while (link.stage == Stage::Running && !link.pausedHere && !link.pausedThere &&
           socket->bytesToWrite() + socket->encryptedBytesToWrite() < HighWater) {
        if (!link.file.isOpen() && !OpenNextSource(link))
            return;
        const quint64 size = link.offer.files[link.current].size;
        const qint64 want = qint64(std::min<quint64>(DataChunk, size - link.position));
        if (want > 0) {
            QByteArray frame(FrameHeaderSize + DataHeaderSize + want, Qt::Uninitialized);
            const qint64 got = link.file.read(frame.data() + FrameHeaderSize + DataHeaderSize, want);
            // The file shrank or went while it was sent: what it was when offered cannot be sent whole.
            if (got != want)
                return Abandon(link, CancelReason::SourceUnreadable, link.sources[link.current]);
            const QByteArray header = EncodeDataHeader({quint32(link.current), link.position});
            frame[0] = char(Kind::Data);
            qToBigEndian(quint32(DataHeaderSize + want), frame.data() + 1);
            std::copy(header.cbegin(), header.cend(), frame.data() + FrameHeaderSize);
            link.addToHash(frame, FrameHeaderSize + DataHeaderSize, want);
            socket->write(frame);
            link.position += quint64(want);
            link.done += quint64(want);
            ReportProgress(link, false);
        }
        if (link.position == size) {
            Write(link, Kind::FileEnd, EncodeIndexed(quint32(link.current), link.hashResult()));
            link.file.close();
            link.hash.reset();
        }
    }
}

void FileLinks::ResultArrived(Link& link, const QByteArray& payload)
{
    const auto result = DecodeIndexed(payload, 1);
    if (!result || result->first >= quint32(link.offer.files.size()))
        return Abandon(link, CancelReason::ProtocolError);
    if (result->second[0] == 0) {
        const QByteArray id = link.offer.id;
        const QString file = link.sources.value(int(result->first));
        Close(link);
        return Post([id, file](FileEvents& events) { events.Ended(id, false, CancelReason::Damaged, file); });
    }
    if (++link.results < link.offer.files.size())
        return;
    const QByteArray id = link.offer.id;
    ReportProgress(link, true);
    Close(link);
    Post([id](FileEvents& events) { events.Finished(id); });
}

// ---- Receiving ----

void FileLinks::OfferArrived(Link& link, const QByteArray& payload)
{
    std::optional<Offer> offer = DecodeOffer(payload);
    if (!offer)
        return Abandon(link, CancelReason::BadOffer);
    // The sender came back: the link it left behind goes.
    if (Link* older = LinkOf(offer->id); older && older != &link)
        Lost(*older, FileEvents::Interruption::ConnectionLost);
    link.offer = *offer;
    link.stage = Stage::AwaitDecision;
    Post([address = link.address, offer = *offer](FileEvents& events) { events.Offered(address, offer); });
}

void FileLinks::NotNow(const QByteArray& id)
{
    if (Link* link = LinkOf(id); link && !link->outgoing) {
        Write(*link, Kind::Later);
        link->stage = Stage::Finished;
        Close(*link);
    }
}

void FileLinks::Accept(const QByteArray& id, const ReceivePlan& plan)
{
    Link* found = LinkOf(id);
    if (!found || found->outgoing || found->stage != Stage::AwaitDecision ||
        plan.targets.size() != found->offer.files.size())
        return;
    Link& link = *found;
    link.plan = plan;
    link.ended = plan.saved;
    link.ended.resize(plan.targets.size());
    link.endedCount = link.ended.count(true);
    link.starts.clear();
    link.done = 0;
    for (qsizetype i = 0; i < plan.targets.size(); ++i) {
        Start start;
        if (plan.saved.value(i)) {
            start.offset = AlreadySaved;
            link.done += link.offer.files[i].size;
        } else if (link.offer.files[i].folder) {
            // An empty folder is made now, and is then as good as saved: no data comes for it.
            if (!QDir().mkpath(plan.targets[i]))
                return Abandon(link, CancelReason::CannotWrite, plan.targets[i]);
            start.offset = AlreadySaved;
            link.ended[i] = true;
            ++link.endedCount;
        } else {
            QFile partial(QFileInfo(plan.targets[i]).dir().filePath(PartialName(id, int(i))));
            const quint64 kept = partial.exists() ? quint64(partial.size()) : 0;
            if (kept > 0 && kept <= link.offer.files[i].size && partial.open(QIODevice::ReadOnly)) {
                Sha256 hash;
                start.prefixHash = PrefixHash(partial, kept, hash);
                start.offset = start.prefixHash.isEmpty() ? 0 : kept;
            }
        }
        link.starts.append(start);
    }
    link.stage = Stage::Running;
    link.lastData.start();
    Write(link, Kind::Accept, EncodeAccept(link.starts));
    ReportProgress(link, true);
    FinishIfAllEnded(link);
}

void FileLinks::FinishIfAllEnded(Link& link)
{
    if (link.endedCount != link.ended.size())
        return;
    ReportProgress(link, true);
    link.stage = Stage::Finished;
    const QByteArray id = link.offer.id;
    Post([id](FileEvents& events) { events.Finished(id); });
    link.socket->flush();
    Close(link);
}

bool FileLinks::OpenPartial(Link& link, quint32 index, quint64 offset)
{
    if (index >= quint32(link.offer.files.size()) || link.ended.value(index) || link.file.isOpen())
        return false;
    const quint64 kept = link.starts[index].offset;
    if (offset != 0 && offset != kept)
        return false;
    const QFileInfo target(link.plan.targets[index]);
    // The files of a folder come one after another: its folder is made once.
    if (target.path() != link.lastFolder && !QDir().mkpath(target.path())) {
        Abandon(link, CancelReason::CannotWrite, target.filePath());
        return false;
    }
    link.lastFolder = target.path();
    link.current = int(index);
    link.file.setFileName(target.dir().filePath(PartialName(link.offer.id, int(index))));
    if (offset == 0) {
        link.hash.reset();
        if (!link.file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            Abandon(link, CancelReason::CannotWrite, target.filePath());
            return false;
        }
    } else {
        if (!link.file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) ||
            PrefixHash(link.file, offset, link.hash).isEmpty() || !link.file.resize(qint64(offset)) ||
            !link.file.seek(qint64(offset))) {
            Abandon(link, CancelReason::CannotWrite, target.filePath());
            return false;
        }
    }
    link.startHash(link.offer.files[index].size);
    link.position = offset;
    link.done += offset;
    return true;
}

void FileLinks::DataArrived(Link& link, const QByteArray& payload)
{
    const std::optional<DataHeader> header = DecodeDataHeader(payload);
    if (!header)
        return Abandon(link, CancelReason::ProtocolError);
    const qsizetype length = payload.size() - DataHeaderSize;
    if (!link.file.isOpen()) {
        QSslSocket* socket = link.socket;
        if (!OpenPartial(link, header->index, header->offset)) {
            if (m_links.count(socket))
                Abandon(link, CancelReason::ProtocolError);
            return;
        }
    } else if (header->index != quint32(link.current) || header->offset != link.position) {
        return Abandon(link, CancelReason::ProtocolError);
    }
    // More than was offered is never written.
    if (link.position + quint64(length) > link.offer.files[link.current].size)
        return Abandon(link, CancelReason::ProtocolError);
    if (length == 0)
        return;
    // For the hash's thread a copy of its own: the frame is gone with the next read.
    const QByteArray bytes = link.hashingBehind ? QByteArray(payload.constData() + DataHeaderSize, length)
                                                : QByteArray::fromRawData(payload.constData() + DataHeaderSize, length);
    if (link.file.write(bytes) != length)
        return WriteFailed(link);
    link.addToHash(bytes, 0, length);
    link.position += quint64(length);
    link.done += quint64(length);
    ReportProgress(link, false);
}

void FileLinks::WriteFailed(Link& link)
{
    // A disk that fills in the middle of a write shows as a short write without an error: the room left says it.
    const quint64 left = link.offer.files[link.current].size - link.position;
    const std::optional<quint64> free = platform::FreeBytes(QFileInfo(link.file.fileName()).path());
    const bool full =
        link.file.error() == QFileDevice::ResourceError || (free && *free < std::max<quint64>(left, DataChunk));
    // What reached the disk stays: the next attempt checks it and goes on from there.
    link.file.close();
    if (full)
        return Lost(link, FileEvents::Interruption::DiskFull);
    Abandon(link, CancelReason::CannotWrite, link.plan.targets.value(link.current));
}

void FileLinks::FileEndArrived(Link& link, const QByteArray& payload)
{
    const auto end = DecodeIndexed(payload, HashSize);
    if (!end || !link.file.isOpen() || end->first != quint32(link.current) ||
        link.position != link.offer.files[link.current].size)
        return Abandon(link, CancelReason::ProtocolError);
    const int index = link.current;
    const QString target = link.plan.targets[index];
    if (!link.file.flush())
        return WriteFailed(link);
    link.file.close();
    if (link.hashResult() != end->second) {
        QFile::remove(link.file.fileName());
        Write(link, Kind::FileResult, EncodeIndexed(quint32(index), QByteArray(1, '\0')));
        return Abandon(link, CancelReason::Damaged, target);
    }
    // Its name only now, and one nobody has: a file of that name is never written over.
    const QString saved = RenameToUniqueName(link.file.fileName(), target);
    if (saved.isEmpty())
        return Abandon(link, CancelReason::CannotWrite, target);
    if (!link.plan.savedLog.isEmpty()) {
        if (!link.savedLog.isOpen()) {
            link.savedLog.setFileName(link.plan.savedLog);
            link.savedLog.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
        }
        link.savedLog.write(link.offer.id.toHex() + ' ' + QByteArray::number(index) + ' ' +
                            saved.toUtf8().toPercentEncoding() + '\n');
    }
    link.ended[index] = true;
    ++link.endedCount;
    Write(link, Kind::FileResult, EncodeIndexed(quint32(index), QByteArray(1, '\1')));
    link.savedSince.append({index, saved});
    FinishIfAllEnded(link);
}

} // namespace files
