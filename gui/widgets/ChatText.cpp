#include "gui/widgets/ChatText.h"

#include "core/chat/ChatSearch.h"
#include "core/platform/TextCodec.h"

#include <QColor>
#include <QTextCharFormat>

#include <algorithm>

QString ChatText::piece(qsizetype piece) const
{
    return platform::FromSystemText(m_log.piece(piece).toByteArray());
}

QString ChatText::plainPiece(qsizetype piece) const
{
    QString text = this->piece(piece);
    if (m_log.pieceEndsLine(piece) && piece + 1 < m_log.pieceCount())
        text += QLatin1Char('\n');
    return text;
}

QString ChatText::line(qsizetype index) const
{
    return platform::FromSystemText(m_log.line(index));
}

QString ChatText::all() const
{
    QString text;
    for (qsizetype i = 0; i < m_log.pieceCount(); ++i)
        text += plainPiece(i);
    return text;
}

QString ChatText::range(qsizetype start, qsizetype end) const
{
    start = std::max<qsizetype>(start, 0);
    end = std::min({end, characterCount(), start + MaxRange});
    QString text;
    if (start >= end)
        return text;
    qint64 at = 0;
    for (qsizetype i = m_log.pieceAtCharacter(start, &at); i < m_log.pieceCount() && at < end; ++i) {
        const QString piece = plainPiece(i);
        text += QStringView(piece).mid(std::max<qsizetype>(0, start - at), end - std::max<qsizetype>(start, at));
        at += piece.size();
    }
    return text;
}

QString ChatText::around(qsizetype at, qsizetype* start) const
{
    qint64 pieceStart = 0;
    const qsizetype piece = m_log.pieceAtCharacter(at, &pieceStart);
    QString text;
    *start = pieceStart;
    if (piece > 0) {
        text = plainPiece(piece - 1);
        *start -= text.size();
    }
    for (qsizetype i = piece; i < std::min(piece + 2, m_log.pieceCount()); ++i)
        text += plainPiece(i);
    return text;
}

QString ChatText::between(ChatPosition from, ChatPosition to) const
{
    QString text;
    for (qsizetype piece = from.piece; piece <= to.piece && piece < m_log.pieceCount(); ++piece) {
        const QString pieceText = this->piece(piece);
        const int start = piece == from.piece ? from.at : 0;
        const int end = piece == to.piece ? to.at : int(pieceText.size());
        text += QStringView(pieceText).mid(start, end - start);
        if (piece != to.piece && m_log.pieceEndsLine(piece))
            text += QLatin1Char('\n');
    }
    return text;
}

ChatPosition ChatText::end() const
{
    if (m_log.isEmpty())
        return ChatPosition();
    const qsizetype last = m_log.pieceCount() - 1;
    return ChatPosition{last, length(last)};
}

std::optional<ChatPosition> ChatText::moved(ChatPosition caret, int key, bool wholeText) const
{
    const qsizetype last = m_log.pieceCount() - 1;
    switch (key) {
    case Qt::Key_Left:
        return caret.at > 0      ? ChatPosition{caret.piece, caret.at - 1}
               : caret.piece > 0 ? ChatPosition{caret.piece - 1, length(caret.piece - 1)}
                                 : caret;
    case Qt::Key_Right:
        return caret.at < length(caret.piece) ? ChatPosition{caret.piece, caret.at + 1}
               : caret.piece < last           ? ChatPosition{caret.piece + 1, 0}
                                              : caret;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const qsizetype piece = std::clamp<qsizetype>(caret.piece + (key == Qt::Key_Up ? -1 : 1), 0, last);
        return ChatPosition{piece, std::min(caret.at, length(piece))};
    }
    case Qt::Key_Home:
        return wholeText ? ChatPosition() : ChatPosition{caret.piece, 0};
    case Qt::Key_End:
        return wholeText ? end() : ChatPosition{caret.piece, length(caret.piece)};
    default:
        return std::nullopt;
    }
}

QList<QTextLayout::FormatRange> ChatText::matchRanges(const ChatSearch* search, qsizetype current,
                                                      qsizetype piece) const
{
    QList<QTextLayout::FormatRange> ranges;
    if (!search || search->matches().empty())
        return ranges;
    const QByteArrayView bytes = m_log.piece(piece);
    const qint64 start = m_log.pieceStart(piece);
    const qint64 end = start + bytes.size();
    const auto& matches = search->matches();
    qsizetype index = search->firstFrom(start);
    index = index < 0 ? qsizetype(matches.size()) : index;
    if (index > 0 && matches[size_t(index - 1)].offset + matches[size_t(index - 1)].length > start)
        --index; // begins in an earlier piece of the same line
    const auto characters = [&bytes](qint64 count) {
        return int(platform::FromSystemText(bytes.first(count).toByteArray()).size());
    };
    for (; index < qsizetype(matches.size()) && matches[size_t(index)].offset < end; ++index) {
        const ChatSearch::Match& match = matches[size_t(index)];
        const int from = characters(std::max(match.offset, start) - start);
        const int to = characters(std::min(match.offset + match.length, end) - start);
        QTextLayout::FormatRange range{from, to - from, {}};
        range.format.setBackground(index == current ? QColor(255, 150, 50) : QColor(255, 230, 120));
        range.format.setForeground(QColor(Qt::black));
        ranges.append(range);
    }
    return ranges;
}
