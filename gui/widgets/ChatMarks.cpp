#include "gui/widgets/ChatMarks.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QTextCharFormat>

void ChatNotes::add(qsizetype piece, const QString& text)
{
    m_notes.insert(piece, text);
    while (m_notes.size() > MaxNotes)
        m_notes.erase(m_notes.begin());
}

void ChatNotes::shift(qsizetype pieces)
{
    QMap<qsizetype, QString> moved;
    for (auto note = m_notes.cbegin(); note != m_notes.cend(); ++note)
        moved.insert(note.key() + pieces, note.value());
    m_notes.swap(moved);
}

void DrawNewMarker(QPainter& painter, const QRect& row, const QPalette& palette)
{
    const QString caption = QCoreApplication::translate("ChatView", "New");
    const int captionWidth = painter.fontMetrics().horizontalAdvance(caption);
    const int middle = row.top() + row.height() / 2;
    painter.save();
    painter.setPen(palette.color(QPalette::Link));
    painter.drawLine(row.left(), middle, row.right() - captionWidth - row.left(), middle);
    painter.drawText(QRect(row.right() - captionWidth, row.top(), captionWidth, row.height()), Qt::AlignVCenter,
                     caption);
    painter.restore();
}

void DrawNote(QPainter& painter, const QRect& row, const QString& note, const QPalette& palette)
{
    QFont font = painter.font();
    font.setItalic(true);
    const QRect indented = row.adjusted(painter.fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4, 0, 0, 0);
    painter.save();
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::PlaceholderText));
    painter.drawText(indented, Qt::AlignVCenter, QFontMetrics(font).elidedText(note, Qt::ElideRight, indented.width()));
    painter.restore();
}

QList<QTextLayout::FormatRange> SelectionRanges(qsizetype piece, int length, ChatPosition from, ChatPosition to,
                                                const QPalette& palette)
{
    if (from == to || piece < from.piece || piece > to.piece)
        return {};
    const int start = piece == from.piece ? from.at : 0;
    const int end = piece == to.piece ? to.at : length;
    QTextLayout::FormatRange range{start, end - start, {}};
    range.format.setBackground(palette.brush(QPalette::Highlight));
    range.format.setForeground(palette.brush(QPalette::HighlightedText));
    return {range};
}
