#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>

#include <optional>

class QDataStream;

namespace files {

// Files go on a port of their own beside private lines' (1196 + 1), inside TLS 1.3 with the same keys and pins, and
// only after both ends agreed on this application protocol: a copy or service that does not confirm it gets nothing.
inline constexpr quint16 FilePortAbovePrivate = 1;
inline const QByteArray Protocol = QByteArrayLiteral("parley-files/1");

// What a frame carries: a byte of kind, four bytes of length (big-endian), the payload.
enum class Kind : quint8 {
    Offer = 1,  // sender: the transfer's id and its files
    Accept,     // receiver: where each file starts (resumed) or that it is already saved
    Later,      // receiver: not now (paused, or no room yet); the sender asks again later
    Data,       // sender: file index, offset, bytes
    FileEnd,    // sender: file index and the SHA-256 of the whole file
    FileResult, // receiver: file index and whether it was saved
    Pause,      // either: the person paused it
    Resume,     // either: the person resumed it
    Cancel,     // either: the transfer ends, for a reason given as a code
};

// Reasons travel as codes, never as text: what a peer says is shown in this copy's own words.
enum class CancelReason : quint8 {
    ByPerson = 1,
    Declined,
    BadOffer,
    TooManyOffers,
    SourceUnreadable,
    Damaged,
    CannotWrite,
    ProtocolError,
};

inline constexpr int FrameHeaderSize = 5;
// An offer of many thousands of files fits; anything bigger is not a frame this program sends.
inline constexpr qsizetype MaxControlPayload = 16 * 1024 * 1024;
inline constexpr qsizetype DataChunk = 256 * 1024;
inline constexpr qsizetype MaxDataPayload = DataChunk + 12;
inline constexpr qsizetype MaxFilesPerOffer = 100000;
inline constexpr int IdSize = 16;
inline constexpr int HashSize = 32;
// No file is "already saved": the receiver says so for files it finished before a break.
inline constexpr quint64 AlreadySaved = ~quint64(0);

struct Frame {
    Kind kind;
    QByteArray payload;
};

QByteArray EncodeFrame(Kind kind, const QByteArray& payload);

// Frames out of a byte stream. A header that no frame of this protocol could have leaves it broken for good. A frame's
// payload points into the reader's buffer: it holds until the next append.
class FrameReader {
public:
    void append(const QByteArray& bytes);
    // Reads what the device has straight into the buffer: no copy of its own for each read.
    void readFrom(QIODevice& device);
    std::optional<Frame> next();
    bool broken() const { return m_broken; }
    qsizetype buffered() const { return m_buffer.size() - m_read; }

private:
    // Makes the read part room for what comes, without dropping a frame that is not yet whole.
    void compact();

    QByteArray m_buffer;
    qsizetype m_read = 0;
    bool m_broken = false;
};

struct OfferedFile {
    QString path; // relative, '/' between parts, made safe
    quint64 size = 0;
    // An empty folder, so that a folder's structure arrives whole: made at Accept, with no data. On the wire its
    // path ends with '/' and its size is 0.
    bool folder = false;
};

struct Offer {
    QByteArray id;
    QList<OfferedFile> files;
    quint64 total() const;
};

// A stream set to the one format both ends of a link, and the files kept beside the settings, are written in.
QDataStream& Prepared(QDataStream& stream);

QByteArray EncodeOffer(const Offer& offer);
// Empty when the payload is no valid offer: wrong id size, no files or too many, a size sum that overflows, or a
// path that leaves its folder (absolute, "..") or has no name.
std::optional<Offer> DecodeOffer(const QByteArray& payload);

struct Start {
    quint64 offset = 0;    // AlreadySaved, or the bytes the receiver keeps
    QByteArray prefixHash; // SHA-256 of those bytes, where offset > 0
};
QByteArray EncodeAccept(const QList<Start>& starts);
std::optional<QList<Start>> DecodeAccept(const QByteArray& payload, qsizetype fileCount);

struct DataHeader {
    quint32 index = 0;
    quint64 offset = 0;
};
inline constexpr int DataHeaderSize = 12;
QByteArray EncodeDataHeader(const DataHeader& header);
std::optional<DataHeader> DecodeDataHeader(const QByteArray& payload);

QByteArray EncodeIndexed(quint32 index, const QByteArray& rest);
// The index and what follows it, when the payload holds exactly restSize more bytes.
std::optional<std::pair<quint32, QByteArray>> DecodeIndexed(const QByteArray& payload, qsizetype restSize);

} // namespace files
