#include "gui/widgets/ChatMarks.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QTextCharFormat>

#include <algorithm>
#include <utility>

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

namespace {
QFont NoteFont(QFont font)
{
    font.setItalic(true);
    return font;
}

int NoteIndent(const QFont& font)
{
    return QFontMetrics(font).horizontalAdvance(QLatin1Char(' ')) * 4;
}

QStringList WrappedNote(const QFont& font, int width, const QString& note)
{
    const QFontMetrics metrics(NoteFont(font));
    const int room = std::max(1, width - NoteIndent(font));
    QStringList lines;
    QString line;
    const auto fits = [&](const QString& text) { return metrics.horizontalAdvance(text) <= room; };
    for (const QString& word : note.split(QLatin1Char(' '))) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (!line.isEmpty())
            lines.append(std::exchange(line, QString()));
        // A word wider than the row is broken where it must be.
        line = word;
        while (!fits(line) && line.size() > 1) {
            qsizetype cut = line.size() - 1;
            while (cut > 1 && !fits(line.left(cut)))
                --cut;
            lines.append(line.left(cut));
            line = line.mid(cut);
        }
    }
    lines.append(line);
    return lines;
}
} // namespace

QStringList NoteLines(const QFont& font, int width, const QString& notes)
{
    QStringList lines;
    for (const QString& note : notes.split(QLatin1Char('\n')))
        lines += WrappedNote(font, width, note);
    return lines;
}

void DrawNote(QPainter& painter, const QRect& firstRow, const QStringList& lines, const QPalette& palette)
{
    const QFont font = NoteFont(painter.font());
    QRect row = firstRow.adjusted(NoteIndent(painter.font()), 0, 0, 0);
    painter.save();
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::PlaceholderText));
    for (const QString& line : lines) {
        painter.drawText(row, Qt::AlignVCenter, line);
        row.translate(0, row.height());
    }
    painter.restore();
}

QString LineTime(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).time().toString(QStringLiteral("HH:mm"));
}

int TimeGutter(const QFont& font)
{
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(QStringLiteral("00:00")) + metrics.averageCharWidth();
}

void DrawTime(QPainter& painter, const QRect& row, qint64 ms, const QPalette& palette)
{
    painter.save();
    painter.setPen(palette.color(QPalette::PlaceholderText));
    painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, LineTime(ms));
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
