#pragma once

#include "core/base/FrameThrottle.h"
#include "core/chat/ChatLog.h"
#include "core/chat/ChatSearch.h"
#include "core/session/ChatRecord.h"
#include "gui/widgets/ChatMarks.h"
#include "gui/widgets/ChatRows.h"
#include "gui/widgets/ChatText.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QTextLayout>

#include <memory>

class QAction;
class QPainter;

// The chat area: a read-only view of the chat record that lays out only the pieces it shows, so that start, append,
// scrolling and "Clear" cost the same whatever the size of the log. Lines wrap at the widget's width; a word
// longer than a row breaks anywhere. Text can be selected with the mouse or Ctrl+A and copied.
class ChatView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The record tells the view of every line and note as it comes; the view never changes it.
    explicit ChatView(const ChatRecord& record, QWidget* parent = nullptr);
    ~ChatView() override;

    QString toPlainText() const;
    // The text as toPlainText() gives it, counted and cut without building the whole of it.
    qsizetype characterCount() const;
    QString textRange(qsizetype start, qsizetype end) const;
    // The text near a character, and where it starts (see ChatText::around).
    QString textAround(qsizetype at, qsizetype* start) const;
    qsizetype lineCount() const { return m_log.lineCount(); }
    QString lineText(qsizetype index) const;
    const ChatLog& log() const { return m_log; }

    QString selectedText() const;
    void selectAll();
    void copy() const;
    // Shows the last line at the bottom and keeps it there while lines arrive.
    void scrollToEnd();

    // The matches of a search, drawn marked, the current one (an index into its kept matches, or -1) marked
    // apart; null for none.
    void setSearch(const ChatSearch* search, qsizetype current);
    // Brings the text at this offset of the log into view, a third of the way down, unless it is in view already.
    void showOffset(qint64 offset);
    // Where the text shown on top begins in the log.
    qint64 topOffset() const;
    // The "New" marker above this piece, the first of the lines that arrived unseen; -1 for none.
    void setMarker(qsizetype piece);
    qsizetype marker() const { return m_marker; }
    // Brings the "New" marker into view (Ctrl+J, also in the context menu).
    void showNewLines();
    QAction* newLinesAction() const { return m_toNewLines; }
    // Offered in the context menu of a line whose note says it was not delivered: how such lines can wait.
    void setUndeliveredAction(QAction* action) { m_undelivered = action; }
    // The record's notes are drawn on rows of their own below their lines, never part of the text. A screen
    // reader finds the latest in the area's description.
    QString noteAfter(qsizetype piece) const { return m_record.noteAfter(piece); }
    // What a screen reader finds for each line shown: its pieces, where each lies in the viewport (its notes'
    // rows too), and its time and text ("10:52 Ann: hello").
    QList<qsizetype> shownPieces() const;
    QRect pieceRect(qsizetype piece) const;
    QString pieceItemText(qsizetype piece) const;

Q_SIGNALS:
    void textChanged();
    // Text came in before what was there, or all went: offsets into the log mean something else now.
    void logReset();
    // The person asked to find text, from the context menu.
    void findRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // A row of a piece, or a character of a piece; both order by piece first.
    using Position = ChatPosition;

    int MarkerRows(qsizetype piece) const { return piece == m_marker ? 1 : 0; }
    int NoteRows(qsizetype piece) const { return int(NoteLinesOf(piece).size()); }
    QStringList NoteLinesOf(qsizetype piece) const;
    int RowHeight() const;
    // Where the text begins: after the margin and the lines' times.
    int TextLeft() const;
    ChatRows::Geometry RowGeometry() const;
    int VisibleRows() const;
    // The first row shown when the last row is at the bottom.
    Position EndPosition() const;
    Position TopPosition() const;
    void ScrollTo(Position top);
    void ScrollRows(int rows);
    void TextChanged();
    void NoteAdded(qsizetype piece, const QString& text);
    void Prepended(qsizetype pieces);
    void Cleared();
    void Settle();
    void Forget();
    Position CharacterAt(const QPoint& point) const;
    std::pair<Position, Position> Selection() const;
    bool ExtendSelection(int key, Qt::KeyboardModifiers modifiers);

    const ChatRecord& m_record;
    const ChatLog& m_log = m_record.log();
    ChatText m_text{m_log};
    // The marker's row above a piece and a note's below it are the piece's too.
    ChatRows m_layout{m_log, m_text, [this] { return RowGeometry(); },
                      [this](qsizetype piece) { return MarkerRows(piece) + NoteRows(piece); }};
    Position m_top;
    bool m_followEnd = true;
    bool m_settingBar = false;
    Position m_anchor;
    Position m_caret;
    bool m_selecting = false;
    const ChatSearch* m_search = nullptr;
    qsizetype m_marker = -1;
    QAction* m_toNewLines = nullptr;
    QAction* m_undelivered = nullptr;
    // The times' room, measured once a font: every layout of a piece asks for it.
    int m_timeGutter = 0;
    qsizetype m_currentMatch = -1;
    // Appends in one turn of the event loop settle the scroll bar once.
    // The scroll bar and the picture follow new lines at most once a screen refresh.
    FrameThrottle m_settle{[this] { Settle(); }};
};
