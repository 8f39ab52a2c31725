#include "core/files/FileWire.h"

#include "core/files/FileNames.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <limits>

namespace files {

QDataStream& Prepared(QDataStream& stream)
{
    stream.setVersion(QDataStream::Qt_6_0);
    return stream;
}

namespace {

bool KnownKind(quint8 kind)
{
    return kind >= quint8(Kind::Offer) && kind <= quint8(Kind::Cancel);
}

} // namespace

QByteArray EncodeFrame(Kind kind, const QByteArray& payload)
{
    QByteArray frame(FrameHeaderSize, Qt::Uninitialized);
    frame[0] = char(kind);
    qToBigEndian(quint32(payload.size()), frame.data() + 1);
    frame.append(payload);
    return frame;
}

void FrameReader::compact()
{
    // What was read already goes before the buffer grows: it never holds more than a frame and a read. The frames
    // handed out before point into it, and are done with by now. The buffer keeps its room for the next read.
    if (m_read == m_buffer.size()) {
        m_buffer.resize(0);
        m_read = 0;
    } else if (m_read > 0 && m_read >= m_buffer.size() / 2) {
        m_buffer.remove(0, m_read);
        m_read = 0;
    }
}

void FrameReader::append(const QByteArray& bytes)
{
    compact();
    m_buffer.append(bytes);
}

void FrameReader::readFrom(QIODevice& device)
{
    compact();
    const qint64 available = device.bytesAvailable();
    if (available <= 0)
        return;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + qsizetype(available));
    const qint64 got = device.read(m_buffer.data() + kept, available);
    m_buffer.resize(kept + qsizetype(std::max<qint64>(got, 0)));
}

std::optional<Frame> FrameReader::next()
{
    if (m_broken || buffered() < FrameHeaderSize)
        return std::nullopt;
    const char* header = m_buffer.constData() + m_read;
    const quint8 kind = quint8(header[0]);
    const quint32 size = qFromBigEndian<quint32>(header + 1);
    const qsizetype limit = kind == quint8(Kind::Data) ? MaxDataPayload : MaxControlPayload;
    if (!KnownKind(kind) || size > quint64(limit)) {
        m_broken = true;
        return std::nullopt;
    }
    if (buffered() < FrameHeaderSize + qsizetype(size))
        return std::nullopt;
    // A view, not a copy: a file's data goes from here to the disk, and the frame is handled before more arrives.
    Frame frame{Kind(kind), QByteArray::fromRawData(m_buffer.constData() + m_read + FrameHeaderSize, size)};
    m_read += FrameHeaderSize + size;
    return frame;
}

quint64 Offer::total() const
{
    quint64 sum = 0;
    for (const OfferedFile& file : files)
        sum += file.size;
    return sum;
}

QByteArray EncodeOffer(const Offer& offer)
{
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    Prepared(stream) << offer.id << quint32(offer.files.size());
    for (const OfferedFile& file : offer.files)
        stream << (file.folder ? file.path + u'/' : file.path) << file.size;
    return payload;
}

std::optional<Offer> DecodeOffer(const QByteArray& payload)
{
    QDataStream stream(payload);
    Offer offer;
    quint32 count = 0;
    Prepared(stream) >> offer.id >> count;
    if (stream.status() != QDataStream::Ok || offer.id.size() != IdSize || count == 0 || count > MaxFilesPerOffer)
        return std::nullopt;
    offer.files.reserve(count);
    quint64 total = 0;
    for (quint32 i = 0; i < count; ++i) {
        OfferedFile file;
        stream >> file.path >> file.size;
        if (stream.status() != QDataStream::Ok)
            return std::nullopt;
        file.folder = file.path.endsWith(u'/');
        const std::optional<QString> safe = SafeRelativePath(file.folder ? file.path.chopped(1) : file.path);
        // A sum that no disk holds is no offer either; a folder holds no data of its own.
        if (!safe || file.size > std::numeric_limits<quint64>::max() / 4 - total || (file.folder && file.size != 0))
            return std::nullopt;
        total += file.size;
        offer.files.append({*safe, file.size, file.folder});
    }
    if (!stream.atEnd())
        return std::nullopt;
    return offer;
}

QByteArray EncodeAccept(const QList<Start>& starts)
{
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    Prepared(stream) << quint32(starts.size());
    for (const Start& start : starts)
        stream << start.offset << start.prefixHash;
    return payload;
}

std::optional<QList<Start>> DecodeAccept(const QByteArray& payload, qsizetype fileCount)
{
    QDataStream stream(payload);
    quint32 count = 0;
    Prepared(stream) >> count;
    if (stream.status() != QDataStream::Ok || qsizetype(count) != fileCount)
        return std::nullopt;
    QList<Start> starts(count);
    for (Start& start : starts) {
        stream >> start.offset >> start.prefixHash;
        if (stream.status() != QDataStream::Ok ||
            (start.offset != AlreadySaved && start.offset > 0 && start.prefixHash.size() != HashSize))
            return std::nullopt;
    }
    if (!stream.atEnd())
        return std::nullopt;
    return starts;
}

QByteArray EncodeDataHeader(const DataHeader& header)
{
    QByteArray bytes(DataHeaderSize, Qt::Uninitialized);
    qToBigEndian(header.index, bytes.data());
    qToBigEndian(header.offset, bytes.data() + 4);
    return bytes;
}

std::optional<DataHeader> DecodeDataHeader(const QByteArray& payload)
{
    if (payload.size() < DataHeaderSize)
        return std::nullopt;
    return DataHeader{qFromBigEndian<quint32>(payload.constData()), qFromBigEndian<quint64>(payload.constData() + 4)};
}

QByteArray EncodeIndexed(quint32 index, const QByteArray& rest)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(index, bytes.data());
    return bytes + rest;
}

std::optional<std::pair<quint32, QByteArray>> DecodeIndexed(const QByteArray& payload, qsizetype restSize)
{
    if (payload.size() != 4 + restSize)
        return std::nullopt;
    return std::make_pair(qFromBigEndian<quint32>(payload.constData()), payload.mid(4));
}

} // namespace files
