#include "core/files/FileTransfers.h"

#include "core/base/Errors.h"
#include "core/files/FileNames.h"
#include "core/files/Sha256.h"
#include "core/net/Wire.h"
#include "core/platform/SaveFile.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QPointer>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

namespace files {

namespace {

const QByteArray StoreMagic = QByteArrayLiteral("PRLYXFR1");

// Room kept free on the disk beyond what a transfer needs.
constexpr quint64 DiskReserve = 16 * 1024 * 1024;

// What is still to be written: a partial file on the disk already holds its part.
quint64 Remaining(const Transfer& transfer)
{
    quint64 left = 0;
    for (qsizetype i = 0; i < transfer.offer.files.size(); ++i) {
        if (transfer.saved.value(i))
            continue;
        const quint64 kept =
            i < transfer.targets.size()
                ? quint64(
                      QFileInfo(QFileInfo(transfer.targets[i]).dir().filePath(PartialName(transfer.id, int(i)))).size())
                : 0;
        left += transfer.offer.files[i].size - std::min(kept, transfer.offer.files[i].size);
    }
    return left;
}

struct Gathered {
    QStringList sources;
    QList<OfferedFile> files;
    QStringList skipped;
};

// The files under a path, each with its path below the folder it was given in. Symbolic links are not followed and
// special files (pipes, devices, sockets) are left out; both are named in what is skipped.
void Gather(const QString& path, Gathered& into)
{
    const QFileInfo given(path);
    const auto add = [&into](const QFileInfo& info, const QString& relative) {
        if (info.isSymLink())
            into.skipped.append(QCoreApplication::translate("FileTransfers", "%1 (a symbolic link)").arg(relative));
        else if (!info.isFile())
            into.skipped.append(QCoreApplication::translate("FileTransfers", "%1 (not a regular file)").arg(relative));
        else {
            into.sources.append(info.absoluteFilePath());
            into.files.append({relative, quint64(info.size())});
        }
    };
    if (given.isSymLink() || !given.isDir())
        return add(given, given.fileName());
    const QDir base = given.absoluteDir();
    QDirIterator walk(given.absoluteFilePath(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    // A folder with nothing in it is sent as such: the structure arrives whole.
    const auto addIfEmpty = [&into, &base](const QFileInfo& folder) {
        if (QDir(folder.absoluteFilePath())
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            into.sources.append(folder.absoluteFilePath());
            into.files.append({base.relativeFilePath(folder.absoluteFilePath()), 0, true});
        }
    };
    addIfEmpty(given);
    while (walk.hasNext()) {
        // What the walk already knows of each entry, not a look of its own at it.
        const QFileInfo info = walk.nextFileInfo();
        if (info.isDir() && !info.isSymLink())
            addIfEmpty(info);
        else
            add(info, base.relativeFilePath(info.absoluteFilePath()));
    }
}

} // namespace

FileTransfers::FileTransfers(FileHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_thread(new QThread(this)), m_links(new FileLinks(*this, this)),
      m_retry(new QTimer(this))
{
    m_thread->setObjectName(QStringLiteral("Parley files"));
    m_links->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_links, [] { YieldToTheChat(); });
    m_retry->setInterval(RetryMs);
    connect(m_retry, &QTimer::timeout, this, Guarded([this] { RetryWaiting(std::nullopt); }));
}

FileTransfers::~FileTransfers()
{
    // The links go on their own thread, whose event loop must run for that even where it was never used.
    m_thread->start();
    QMetaObject::invokeMethod(
        m_links, [links = m_links] { delete links; }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

template <typename Call> void FileTransfers::OnLinks(Call call)
{
    // The thread starts at the first use: a session without private lines never needs it.
    if (!m_thread->isRunning())
        m_thread->start();
    QMetaObject::invokeMethod(
        m_links, [links = m_links, call = std::move(call)] { call(*links); }, Qt::QueuedConnection);
}

void FileTransfers::UseFolder(const QString& folder)
{
    m_folder = folder;
    Load();
}

void FileTransfers::Start(const net::Identity& identity, const QHostAddress& listenAddress, quint16 port,
                          quint16 peerPort)
{
    m_running = true;
    OnLinks([identity, listenAddress, port, peerPort, keys = m_host.PinnedKeys()](FileLinks& links) {
        links.SetKeys(keys);
        links.Listen(identity, listenAddress, port, peerPort);
    });
    m_retry->start();
    RetryWaiting(std::nullopt);
}

void FileTransfers::Stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_retry->stop();
    OnLinks([](FileLinks& links) { links.Stop(); });
    for (Transfer& transfer : m_transfers) {
        if (transfer.Ended())
            continue;
        if (transfer.state == Transfer::State::Offered) {
            End(transfer, Transfer::State::Cancelled,
                QCoreApplication::translate("FileTransfers", "offer withdrawn: Parley stopped"));
            continue;
        }
        transfer.state = Transfer::State::Waiting;
        transfer.status = QCoreApplication::translate("FileTransfers", "waits for Run!");
        Q_EMIT changed(transfer.id);
    }
}

void FileTransfers::PeerReachable(quint32 address)
{
    if (!m_running)
        return;
    OnLinks([keys = m_host.PinnedKeys()](FileLinks& links) { links.SetKeys(keys); });
    RetryWaiting(address);
}

QString FileTransfers::RefusalToSend(quint32 address) const
{
    if (!m_running)
        return QCoreApplication::translate(
            "FileTransfers",
            "Files go only on private lines, and they are off here: tick \"Private lines with other Parley "
            "copies\" in Configure, then Stop! and Run!.");
    if (!m_host.PinnedKeys().contains(address))
        return QCoreApplication::translate(
                   "FileTransfers",
                   "Files go only on private lines, and %1 has none with this copy yet: its copy has not shown its "
                   "key (it needs private lines on, and its ports %2 and %3 open). Send again once its row shows a "
                   "private line.")
            .arg(m_host.PeerName(address))
            .arg(net::PrivatePort)
            .arg(net::PrivatePort + FilePortAbovePrivate);
    return QString();
}

QString FileTransfers::Send(quint32 address, const QStringList& paths)
{
    if (const QString refusal = RefusalToSend(address); !refusal.isEmpty())
        return refusal;
    for (const QString& path : paths)
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return QCoreApplication::translate("FileTransfers", "%1 does not exist; nothing was sent.").arg(path);
    // A folder of thousands of files takes tens of milliseconds to walk: that is done on the links' thread.
    QPointer<FileTransfers> self(this);
    OnLinks([self, address, paths](FileLinks&) {
        auto gathered = std::make_shared<Gathered>();
        for (const QString& path : paths)
            Gather(path, *gathered);
        QMetaObject::invokeMethod(self, [self, address, gathered] {
            if (self)
                Guard([&] { self->OfferGathered(address, gathered->sources, gathered->files, gathered->skipped); });
        });
    });
    return QString();
}

void FileTransfers::OfferGathered(quint32 address, const QStringList& sources, const QList<OfferedFile>& files,
                                  const QStringList& skipped)
{
    const QString peer = m_host.PeerName(address);
    if (files.isEmpty())
        return m_host.NoteInChat(
            QCoreApplication::translate("FileTransfers", "Nothing was sent to %1: there is nothing to send there (%2).")
                .arg(peer, skipped.join(QStringLiteral(", "))));
    if (files.size() > MaxFilesPerOffer)
        return m_host.NoteInChat(
            QCoreApplication::translate("FileTransfers",
                                        "Nothing was sent to %1: that is more than %2 files; send them in parts.")
                .arg(peer)
                .arg(MaxFilesPerOffer));
    Transfer transfer;
    transfer.id.resize(IdSize);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(transfer.id.data()), IdSize / 4);
    transfer.outgoing = true;
    transfer.address = address;
    transfer.offer = {transfer.id, files};
    transfer.sources = sources;
    transfer.state = Transfer::State::Waiting;
    transfer.status =
        QCoreApplication::translate("FileTransfers", "offered, waiting for %1 to accept").arg(m_host.PeerName(address));
    QString note = QCoreApplication::translate("FileTransfers", "%1: offered; it goes once %2 accepts")
                       .arg(Heading(transfer), m_host.PeerName(address));
    if (!skipped.isEmpty())
        note += QCoreApplication::translate("FileTransfers", " (left out: %1)").arg(skipped.join(QStringLiteral(", ")));
    m_host.NoteInChat(note);
    m_transfers.append(transfer);
    OnLinks([plan = SendPlan{address, transfer.offer, transfer.sources}, keys = m_host.PinnedKeys()](FileLinks& links) {
        links.SetKeys(keys);
        links.Send(plan);
    });
    Save();
    Q_EMIT listChanged();
}

Transfer* FileTransfers::Find(const QByteArray& id)
{
    for (Transfer& transfer : m_transfers)
        if (transfer.id == id)
            return &transfer;
    return nullptr;
}

const Transfer* FileTransfers::find(const QByteArray& id) const
{
    for (const Transfer& transfer : m_transfers)
        if (transfer.id == id)
            return &transfer;
    return nullptr;
}

QString FileTransfers::Summary(const Offer& offer)
{
    const qsizetype count =
        std::count_if(offer.files.cbegin(), offer.files.cend(), [](const OfferedFile& file) { return !file.folder; });
    const QString first = offer.files.value(0).path;
    const QString folder = first.section(QLatin1Char('/'), 0, 0) + QLatin1Char('/');
    const auto inFolder = [&folder](const OfferedFile& file) { return file.path.startsWith(folder); };
    if (first.contains(QLatin1Char('/')) && std::all_of(offer.files.cbegin(), offer.files.cend(), inFolder))
        return QCoreApplication::translate("FileTransfers", "%1 (files: %2)").arg(folder.chopped(1)).arg(count);
    if (count == 1)
        return first;
    return QCoreApplication::translate("FileTransfers", "%1 and %2 more").arg(first).arg(count - 1);
}

QString FileTransfers::Heading(const Transfer& transfer) const
{
    const QString name = m_host.PeerName(transfer.address);
    return (transfer.outgoing ? QCoreApplication::translate("FileTransfers", "%1, %2, to %3")
                              : QCoreApplication::translate("FileTransfers", "%1, %2, from %3"))
        .arg(Summary(transfer.offer), SizeText(transfer.offer.total()), name);
}

QString FileTransfers::FolderOf(const Transfer& transfer) const
{
    if (transfer.outgoing)
        return QFileInfo(transfer.sources.value(0)).absolutePath();
    return transfer.folder.isEmpty() ? m_host.ReceiveFolder() : transfer.folder;
}

void FileTransfers::End(Transfer& transfer, Transfer::State state, const QString& status)
{
    transfer.state = state;
    transfer.status = status;
    // A transfer that will not go on leaves no partial file behind. The links may still hold one open; its name is
    // gone with it.
    if (!transfer.outgoing && state != Transfer::State::Done) {
        for (qsizetype i = 0; i < transfer.targets.size(); ++i)
            if (!transfer.saved.value(i))
                QFile::remove(QFileInfo(transfer.targets[i]).dir().filePath(PartialName(transfer.id, int(i))));
    }
    m_host.NoteInChat(QCoreApplication::translate("FileTransfers", "%1: %2").arg(Heading(transfer), status));
    Save();
    Trim();
    Q_EMIT changed(transfer.id);
}

void FileTransfers::Trim()
{
    qsizetype ended = std::count_if(m_transfers.cbegin(), m_transfers.cend(), [](auto& t) { return t.Ended(); });
    if (ended <= MaxEndedShown)
        return;
    for (auto it = m_transfers.begin(); it != m_transfers.end() && ended > MaxEndedShown;) {
        if (it->Ended()) {
            it = m_transfers.erase(it);
            --ended;
        } else {
            ++it;
        }
    }
    Q_EMIT listChanged();
}

// ---- The person's decisions ----

QString FileTransfers::RefusalToReceive(const Transfer& transfer) const
{
    if (transfer.pausedHere)
        return QCoreApplication::translate("FileTransfers", "paused");
    const QString folder = FolderOf(transfer);
    QDir().mkpath(folder);
    // Where the room cannot be read, the transfer goes ahead: a disk that fills is told when a write fails.
    const std::optional<quint64> free = platform::FreeBytes(folder);
    const quint64 needed = Remaining(transfer) + DiskReserve;
    if (free && *free < needed)
        return QCoreApplication::translate(
                   "FileTransfers",
                   "not enough room in %1: it needs %2, %3 are free; free some room or choose another folder in "
                   "Configure, then accept again")
            .arg(folder, SizeText(needed), SizeText(*free));
    return QString();
}

ReceivePlan FileTransfers::PlanFor(Transfer& transfer) const
{
    if (transfer.targets.size() != transfer.offer.files.size()) {
        // A folder takes its name now, one nobody has, and keeps it; a lone file takes its own when it is whole.
        QHash<QString, QString> roots;
        const QDir folder(transfer.folder);
        transfer.targets.clear();
        for (const OfferedFile& file : std::as_const(transfer.offer.files)) {
            const qsizetype slash = file.path.indexOf(u'/');
            if (slash < 0) {
                transfer.targets.append(folder.filePath(file.path));
                continue;
            }
            const QString root = file.path.left(slash);
            if (!roots.contains(root)) {
                const QString unique = UniqueName(transfer.folder, root);
                folder.mkpath(unique);
                roots.insert(root, unique);
            }
            transfer.targets.append(folder.filePath(roots.value(root) + file.path.mid(slash)));
        }
        transfer.saved.resize(transfer.targets.size());
    }
    return {transfer.targets, transfer.saved,
            m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(QStringLiteral("Parley.saved"))};
}

void FileTransfers::Accept(const QByteArray& id)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->outgoing || transfer->state != Transfer::State::Offered)
        return;
    transfer->folder = m_host.ReceiveFolder();
    if (const QString refusal = RefusalToReceive(*transfer); !refusal.isEmpty()) {
        transfer->status = refusal;
        m_host.NoteInChat(QCoreApplication::translate("FileTransfers", "%1: %2").arg(Heading(*transfer), refusal));
        Q_EMIT changed(id);
        return;
    }
    transfer->state = Transfer::State::Running;
    transfer->status = QCoreApplication::translate("FileTransfers", "receiving into %1").arg(transfer->folder);
    OnLinks([id, plan = PlanFor(*transfer)](FileLinks& links) { links.Accept(id, plan); });
    m_host.NoteInChat(QCoreApplication::translate("FileTransfers", "%1: accepted, saving in %2")
                          .arg(Heading(*transfer), transfer->folder));
    Save();
    Q_EMIT changed(id);
}

void FileTransfers::Decline(const QByteArray& id)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->outgoing || transfer->state != Transfer::State::Offered)
        return;
    OnLinks([id](FileLinks& links) { links.Cancel(id, CancelReason::Declined); });
    End(*transfer, Transfer::State::Cancelled, QCoreApplication::translate("FileTransfers", "declined"));
}

void FileTransfers::Pause(const QByteArray& id, bool paused)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->Ended() || transfer->state == Transfer::State::Offered || transfer->pausedHere == paused)
        return;
    transfer->pausedHere = paused;
    OnLinks([id, paused](FileLinks& links) { links.Pause(id, paused); });
    if (paused) {
        if (transfer->state == Transfer::State::Running)
            transfer->state = Transfer::State::Paused;
        transfer->status = QCoreApplication::translate("FileTransfers", "paused");
    } else {
        Resume(*transfer);
    }
    Save();
    Q_EMIT changed(id);
}

void FileTransfers::Resume(Transfer& transfer)
{
    if (transfer.state == Transfer::State::Paused) {
        transfer.state = Transfer::State::Running;
        transfer.status = transfer.outgoing
                              ? QCoreApplication::translate("FileTransfers", "sending")
                              : QCoreApplication::translate("FileTransfers", "receiving into %1").arg(transfer.folder);
    } else if (transfer.outgoing) {
        RetryWaiting(transfer.address);
    }
}

void FileTransfers::Cancel(const QByteArray& id)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->Ended())
        return;
    if (transfer->state == Transfer::State::Offered && !transfer->outgoing)
        return Decline(id);
    OnLinks([id](FileLinks& links) { links.Cancel(id, CancelReason::ByPerson); });
    End(*transfer, Transfer::State::Cancelled, QCoreApplication::translate("FileTransfers", "cancelled"));
}

void FileTransfers::RetryWaiting(std::optional<quint32> onlyAddress)
{
    if (!m_running)
        return;
    OnLinks([keys = m_host.PinnedKeys()](FileLinks& links) { links.SetKeys(keys); });
    for (const Transfer& transfer : std::as_const(m_transfers)) {
        if (!transfer.outgoing || transfer.state != Transfer::State::Waiting || transfer.pausedHere ||
            (onlyAddress && *onlyAddress != transfer.address))
            continue;
        OnLinks([plan = SendPlan{transfer.address, transfer.offer, transfer.sources}](FileLinks& links) {
            links.Send(plan);
        });
    }
}

// ---- What the links say ----

void FileTransfers::Offered(quint32 address, const Offer& offer)
{
    Transfer* known = Find(offer.id);
    if (known && (known->outgoing || known->address != address)) {
        OnLinks([id = offer.id](FileLinks& links) { links.Cancel(id, CancelReason::BadOffer); });
        return;
    }
    if (known && known->state == Transfer::State::Offered)
        return; // the sender came back while the person decides: the new link waits instead
    if (known && known->state == Transfer::State::Cancelled) {
        m_transfers.removeIf([&](const Transfer& transfer) { return transfer.id == offer.id; });
        known = nullptr;
    }
    if (known) {
        if (known->Ended() || known->state == Transfer::State::Offered)
            return OnLinks([id = offer.id](FileLinks& links) { links.Cancel(id, CancelReason::Declined); });
        // Back after a break: it goes on where it stopped, when it can.
        if (const QString refusal = RefusalToReceive(*known); !refusal.isEmpty()) {
            known->status = refusal;
            Q_EMIT changed(known->id);
            return OnLinks([id = offer.id](FileLinks& links) { links.NotNow(id); });
        }
        known->state = Transfer::State::Running;
        known->status = QCoreApplication::translate("FileTransfers", "receiving into %1").arg(known->folder);
        OnLinks([id = offer.id, plan = PlanFor(*known)](FileLinks& links) { links.Accept(id, plan); });
        Q_EMIT changed(known->id);
        return;
    }
    const auto pending = [](const Transfer& transfer) {
        return !transfer.outgoing && transfer.state == Transfer::State::Offered;
    };
    const qsizetype fromPeer = std::count_if(m_transfers.cbegin(), m_transfers.cend(),
                                             [&](const Transfer& t) { return pending(t) && t.address == address; });
    const qsizetype all = std::count_if(m_transfers.cbegin(), m_transfers.cend(), pending);
    if (fromPeer >= MaxOffersPerPeer || all >= MaxOffers) {
        OnLinks([id = offer.id](FileLinks& links) { links.Cancel(id, CancelReason::TooManyOffers); });
        return Refused(address, CancelReason::TooManyOffers);
    }
    m_toldTooMany.remove(address);
    Transfer transfer;
    transfer.id = offer.id;
    transfer.address = address;
    transfer.offer = offer;
    transfer.state = Transfer::State::Offered;
    transfer.status = QCoreApplication::translate("FileTransfers", "waiting for you to accept or decline");
    m_transfers.append(transfer);
    const QString text =
        QCoreApplication::translate("FileTransfers", "%1 offers %2, %3: accept or decline it in the Transfers window.")
            .arg(m_host.PeerName(address), Summary(offer), SizeText(offer.total()));
    m_host.NoteInChat(text);
    Q_EMIT listChanged();
    if (m_host.AcceptFromVerified() && m_host.PeerVerified(address))
        Accept(offer.id);
    else
        Q_EMIT offered(offer.id, text);
}

void FileTransfers::Progress(const QByteArray& id, quint64 done)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->Ended())
        return;
    if (!transfer->sampleClock.isValid() || done < transfer->sampleDone) {
        transfer->sampleClock.start();
        transfer->sampleDone = done;
    } else if (const qint64 ms = transfer->sampleClock.elapsed(); ms >= 1000) {
        transfer->bytesPerSecond = double(done - transfer->sampleDone) * 1000.0 / double(ms);
        transfer->sampleClock.start();
        transfer->sampleDone = done;
    }
    transfer->done = done;
    Q_EMIT changed(id);
}

void FileTransfers::Saved(const QByteArray& id, const QList<std::pair<int, QString>>& saved)
{
    Transfer* transfer = Find(id);
    if (!transfer)
        return;
    for (const auto& [index, path] : saved) {
        if (index < 0 || index >= transfer->saved.size())
            continue;
        transfer->saved[index] = true;
        transfer->savedPaths.append(path);
    }
}

void FileTransfers::Finished(const QByteArray& id)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->Ended())
        return;
    transfer->done = transfer->offer.total();
    if (transfer->outgoing)
        End(*transfer, Transfer::State::Done,
            QCoreApplication::translate("FileTransfers", "sent (%1's copy checked every file)")
                .arg(m_host.PeerName(transfer->address)));
    else
        End(*transfer, Transfer::State::Done,
            QCoreApplication::translate("FileTransfers", "saved in %1").arg(transfer->folder));
}

void FileTransfers::Ended(const QByteArray& id, bool byPeer, CancelReason reason, const QString& file)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->Ended())
        return;
    const QString peer = m_host.PeerName(transfer->address);
    const QString name = QFileInfo(file).fileName();
    QString status;
    Transfer::State state = Transfer::State::Failed;
    switch (reason) {
    case CancelReason::ByPerson:
        state = Transfer::State::Cancelled;
        status = byPeer ? QCoreApplication::translate("FileTransfers", "cancelled by %1").arg(peer)
                        : QCoreApplication::translate("FileTransfers", "cancelled");
        break;
    case CancelReason::Declined:
        state = Transfer::State::Cancelled;
        status = byPeer ? QCoreApplication::translate("FileTransfers", "declined by %1").arg(peer)
                        : QCoreApplication::translate("FileTransfers", "declined");
        break;
    case CancelReason::Damaged:
        status = QCoreApplication::translate(
                     "FileTransfers",
                     "failed: %1 arrived damaged (its SHA-256 did not match) and was not saved; ask %2 to send it "
                     "again")
                     .arg(name.isEmpty() ? QCoreApplication::translate("FileTransfers", "a file") : name, peer);
        break;
    case CancelReason::CannotWrite:
        status =
            byPeer
                ? QCoreApplication::translate("FileTransfers", "failed: %1's copy could not write the files").arg(peer)
                : QCoreApplication::translate(
                      "FileTransfers",
                      "failed: %1 could not be written; check the folder for received files in Configure")
                      .arg(file);
        break;
    case CancelReason::SourceUnreadable:
        status = byPeer ? QCoreApplication::translate(
                              "FileTransfers",
                              "failed: %1's copy could not read a file (moved or changed while it was sent)")
                              .arg(peer)
                        : QCoreApplication::translate(
                              "FileTransfers",
                              "failed: %1 could not be read (moved or changed while it was sent); send it again")
                              .arg(file);
        break;
    case CancelReason::TooManyOffers:
        status = QCoreApplication::translate("FileTransfers",
                                             "refused by %1: too many offers wait there; send it again later")
                     .arg(peer);
        break;
    case CancelReason::BadOffer:
    case CancelReason::ProtocolError:
    default:
        status = byPeer
                     ? QCoreApplication::translate("FileTransfers", "failed: %1's copy refused what this copy sent")
                           .arg(peer)
                     : QCoreApplication::translate(
                           "FileTransfers",
                           "failed: %1's copy sent what Parley does not accept (a name outside its folder, more data "
                           "than offered, or out of order); nothing of it was kept under a final name")
                           .arg(peer);
        break;
    }
    End(*transfer, state, status);
}

void FileTransfers::Interrupted(const QByteArray& id, Interruption why)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->Ended())
        return;
    const QString peer = m_host.PeerName(transfer->address);
    if (why == Interruption::KeyMismatch)
        return End(*transfer, Transfer::State::Failed,
                   QCoreApplication::translate(
                       "FileTransfers", "failed: %1 shows another key than the one pinned for it; nothing was sent")
                       .arg(peer));
    if (transfer->state == Transfer::State::Offered)
        return End(*transfer, Transfer::State::Cancelled,
                   QCoreApplication::translate("FileTransfers", "offer withdrawn (%1's connection went)").arg(peer));
    transfer->state = Transfer::State::Waiting;
    switch (why) {
    case Interruption::DiskFull:
        transfer->status =
            QCoreApplication::translate("FileTransfers", "paused: the disk is full; it goes on when there is room");
        m_host.NoteInChat(
            QCoreApplication::translate("FileTransfers", "%1: %2").arg(Heading(*transfer), transfer->status));
        break;
    case Interruption::NotNow:
        transfer->status =
            QCoreApplication::translate("FileTransfers",
                                        "%1's copy cannot take it now (paused there, or its disk is full); asks again")
                .arg(peer);
        break;
    case Interruption::Unreachable:
        transfer->status = QCoreApplication::translate("FileTransfers", "%1 is not reachable; tries again").arg(peer);
        break;
    default:
        transfer->status =
            transfer->outgoing
                ? QCoreApplication::translate("FileTransfers", "connection to %1 lost; goes on when it is back")
                      .arg(peer)
                : QCoreApplication::translate("FileTransfers", "connection to %1 lost; waiting for it to send the rest")
                      .arg(peer);
        break;
    }
    Save();
    Q_EMIT changed(id);
}

void FileTransfers::PausedByPeer(const QByteArray& id, bool paused)
{
    Transfer* transfer = Find(id);
    if (!transfer || transfer->Ended())
        return;
    transfer->pausedThere = paused;
    if (!transfer->pausedHere)
        transfer->status =
            paused
                ? QCoreApplication::translate("FileTransfers", "paused by %1").arg(m_host.PeerName(transfer->address))
                : (transfer->outgoing
                       ? QCoreApplication::translate("FileTransfers", "sending")
                       : QCoreApplication::translate("FileTransfers", "receiving into %1").arg(transfer->folder));
    Q_EMIT changed(id);
}

void FileTransfers::Refused(quint32 address, CancelReason reason)
{
    const QString peer = m_host.PeerName(address);
    if (reason == CancelReason::TooManyOffers) {
        // Said once while the offers keep coming: a flood of offers is one note.
        if (!m_toldTooMany.contains(address)) {
            m_toldTooMany.insert(address);
            m_host.NoteInChat(QCoreApplication::translate(
                                  "FileTransfers",
                                  "%1 offered more files than Parley keeps waiting (%2 offers); the rest were refused. "
                                  "Accept or decline the offers in the Transfers window.")
                                  .arg(peer)
                                  .arg(MaxOffersPerPeer));
        }
        return;
    }
    m_host.NoteInChat(QCoreApplication::translate(
                          "FileTransfers",
                          "%1's copy offered files in a form Parley does not accept (a name outside its folder, or "
                          "sizes that cannot be); the offer was refused and nothing was written.")
                          .arg(peer));
}

void FileTransfers::ListenFailed(const QString& why)
{
    m_host.NoteInChat(why);
}

// ---- Across restarts ----

void FileTransfers::Save()
{
    if (m_folder.isEmpty() || m_storeUnreadable)
        return;
    QByteArray data;
    QDataStream stream(&data, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream.writeRawData(StoreMagic.constData(), int(StoreMagic.size()));
    qint32 count = 0;
    for (const Transfer& transfer : std::as_const(m_transfers))
        count += !transfer.Ended() && (transfer.outgoing || transfer.state != Transfer::State::Offered);
    stream << count;
    bool receiving = false;
    for (const Transfer& transfer : std::as_const(m_transfers)) {
        if (transfer.Ended() || (!transfer.outgoing && transfer.state == Transfer::State::Offered))
            continue;
        receiving |= !transfer.outgoing;
        stream << transfer.id << transfer.outgoing << transfer.address << EncodeOffer(transfer.offer)
               << transfer.sources << transfer.folder << transfer.targets << transfer.saved << transfer.pausedHere;
    }
    // On the links' thread, in order with the names of saved files it adds: writing it whole, and waiting for the
    // disk, never holds up the chat.
    const QDir folder(m_folder);
    QPointer<FileTransfers> self(this);
    OnLinks([self, folder, data = count > 0 ? data : QByteArray(), receiving](FileLinks&) {
        const QString path = folder.filePath(QStringLiteral("Parley.transfers"));
        if (!receiving)
            QFile::remove(folder.filePath(QStringLiteral("Parley.saved")));
        if (data.isEmpty()) {
            QFile::remove(path);
            return;
        }
        const QString error = platform::SaveFileAtomically(path, data, platform::Readers::OwnerOnly);
        if (!error.isEmpty())
            QMetaObject::invokeMethod(self, [self, error] {
                if (self)
                    self->m_host.NoteInChat(
                        QCoreApplication::translate("FileTransfers",
                                                    "Unfinished transfers could not be kept for the next start: %1")
                            .arg(error));
            });
    });
}

void FileTransfers::Load()
{
    m_storeUnreadable = false;
    const QString path = QDir(m_folder).filePath(QStringLiteral("Parley.transfers"));
    QFile file(path);
    if (!file.exists())
        return;
    // What cannot be read whole is kept for the person to look at: read in part, it would be written over shorter.
    const auto unreadable = [&](const QString& why) {
        m_storeUnreadable = true;
        m_transfers.clear();
        throw ParleyError(
            QCoreApplication::translate(
                "FileTransfers",
                "The unfinished file transfers kept in %1 cannot be read (%2): none of them goes on, and the file is "
                "kept as it is. Until it is moved away and Parley started again, transfers that break off do not go "
                "on after a restart; ask the sender to send again what did not arrive.")
                .arg(QDir::toNativeSeparators(path), why));
    };
    if (!file.open(QIODevice::ReadOnly))
        unreadable(file.errorString());
    QDataStream stream(&file);
    stream.setVersion(QDataStream::Qt_6_0);
    QByteArray magic(StoreMagic.size(), Qt::Uninitialized);
    qint32 count = 0;
    if (stream.readRawData(magic.data(), int(magic.size())) != magic.size() || magic != StoreMagic)
        unreadable(QCoreApplication::translate("FileTransfers", "not a file of transfers"));
    stream >> count;
    for (qint32 i = 0; i < count; ++i) {
        Transfer transfer;
        QByteArray offer;
        stream >> transfer.id >> transfer.outgoing >> transfer.address >> offer >> transfer.sources >>
            transfer.folder >> transfer.targets >> transfer.saved >> transfer.pausedHere;
        const std::optional<Offer> decoded = DecodeOffer(offer);
        if (stream.status() != QDataStream::Ok || !decoded)
            unreadable(QCoreApplication::translate("FileTransfers", "cut short or damaged"));
        transfer.offer = *decoded;
        transfer.state = Transfer::State::Waiting;
        transfer.status = transfer.pausedHere
                              ? QCoreApplication::translate("FileTransfers", "paused")
                              : QCoreApplication::translate("FileTransfers", "goes on when both copies run");
        m_transfers.append(transfer);
    }
    if (stream.status() != QDataStream::Ok || count < 0)
        unreadable(QCoreApplication::translate("FileTransfers", "cut short or damaged"));
    ApplySavedLog();
}

void FileTransfers::ApplySavedLog()
{
    QFile log(QDir(m_folder).filePath(QStringLiteral("Parley.saved")));
    if (!log.open(QIODevice::ReadOnly))
        return;
    while (!log.atEnd()) {
        const QList<QByteArray> fields = log.readLine().trimmed().split(' ');
        bool ok = false;
        const int index = fields.value(1).toInt(&ok);
        Transfer* transfer = fields.size() == 3 && ok ? Find(QByteArray::fromHex(fields[0])) : nullptr;
        if (transfer && index >= 0 && index < transfer->saved.size()) {
            transfer->saved[index] = true;
            transfer->savedPaths.append(QString::fromUtf8(QByteArray::fromPercentEncoding(fields[2])));
        }
    }
}

} // namespace files
