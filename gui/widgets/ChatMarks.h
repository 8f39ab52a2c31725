#pragma once

#include "gui/widgets/ChatText.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextLayout>

class QFont;
class QPainter;
class QPalette;
class QRect;

// What the chat area draws besides the text: the "New" marker, the notes after lines and the selection.

// A line across the row with "New" at its right, in the colour of links.
void DrawNewMarker(QPainter& painter, const QRect& row, const QPalette& palette);
// The rows of a line's notes (one a line of the text) at this width: each starts a row of its own and wraps at
// spaces (anywhere in a word wider than the row), never cut.
QStringList NoteLines(const QFont& font, int width, const QString& notes);
// In italics, in the colour of hints, indented, one row of rowHeight for each of its lines: a remark of the
// program's, not a line of the chat.
void DrawNote(QPainter& painter, const QRect& firstRow, const QStringList& lines, const QPalette& palette);
// A line's time as the chat area shows it beside the line ("10:52"), from ms since the epoch.
QString LineTime(qint64 ms);
// The room the times take at the left of the text, in this font.
int TimeGutter(const QFont& font);
// In the colour of hints, at the left of the row: when the line came, never part of its text.
void DrawTime(QPainter& painter, const QRect& row, qint64 ms, const QPalette& palette);
// The part of a piece of this many characters that lies between two positions, in the selection's colours.
QList<QTextLayout::FormatRange> SelectionRanges(qsizetype piece, int length, ChatPosition from, ChatPosition to,
                                                const QPalette& palette);
