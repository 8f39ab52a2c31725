#include "gui/widgets/ChatView.h"

#include "core/chat/ChatSearch.h"
#include "core/platform/TextCodec.h"
#include "gui/widgets/ChatMarks.h"
#include "gui/widgets/ChatViewAccessible.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>

namespace {
constexpr int Margin = 4;
} // namespace

ChatView::ChatView(const ChatRecord& record, QWidget* parent) : QAbstractScrollArea(parent), m_record(record)
{
    InstallChatViewAccessibility();
    m_timeGutter = TimeGutter(font());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // From anywhere in the window, the message box included: where the unread lines begin.
    m_toNewLines = new QAction(tr("Go to the &new lines"), this);
    m_toNewLines->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    m_toNewLines->setShortcutContext(Qt::WindowShortcut);
    m_toNewLines->setEnabled(false);
    connect(m_toNewLines, &QAction::triggered, this, &ChatView::showNewLines);
    addAction(m_toNewLines);
    connect(&record, &ChatRecord::added, this, [this] { TextChanged(); });
    connect(&record, &ChatRecord::noteAdded, this, &ChatView::NoteAdded);
    connect(&record, &ChatRecord::prepended, this, &ChatView::Prepended);
    connect(&record, &ChatRecord::cleared, this, &ChatView::Cleared);
}

ChatView::~ChatView() = default;

void ChatView::Prepended(qsizetype pieces)
{
    m_layout.forget();
    for (Position* position : {&m_top, &m_anchor, &m_caret})
        position->piece += pieces;
    m_settle.requestLater();
    Q_EMIT logReset();
    Q_EMIT textChanged();
}

void ChatView::Cleared()
{
    Forget();
    Q_EMIT logReset();
    TextChanged();
}

QString ChatView::toPlainText() const
{
    return m_text.all();
}

qsizetype ChatView::characterCount() const
{
    return m_text.characterCount();
}

QString ChatView::textRange(qsizetype start, qsizetype end) const
{
    return m_text.range(start, end);
}

QString ChatView::textAround(qsizetype at, qsizetype* start) const
{
    return m_text.around(at, start);
}

QString ChatView::lineText(qsizetype index) const
{
    return m_text.line(index);
}

void ChatView::TextChanged()
{
    m_followEnd = true;
    m_settle.requestLater();
    Q_EMIT textChanged();
}

void ChatView::Forget()
{
    m_layout.forget();
    m_top = Position();
    m_anchor = m_caret = Position();
}

void ChatView::scrollToEnd()
{
    m_followEnd = true;
    Settle();
}

int ChatView::RowHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int ChatView::TextLeft() const
{
    return Margin + m_timeGutter;
}

QStringList ChatView::NoteLinesOf(qsizetype piece) const
{
    return m_record.hasNote(piece)
               ? NoteLines(font(), viewport()->width() - TextLeft() - Margin, m_record.noteAfter(piece))
               : QStringList();
}

ChatRows::Geometry ChatView::RowGeometry() const
{
    return ChatRows::Geometry{font(), std::max(1, viewport()->width() - TextLeft() - Margin), RowHeight()};
}

int ChatView::VisibleRows() const
{
    return std::max(1, (viewport()->height() - Margin) / RowHeight());
}

ChatView::Position ChatView::EndPosition() const
{
    return m_layout.end(VisibleRows());
}

ChatView::Position ChatView::TopPosition() const
{
    return m_followEnd ? EndPosition() : std::min(m_top, EndPosition());
}

void ChatView::ScrollTo(Position top)
{
    const Position end = EndPosition();
    m_followEnd = top >= end;
    m_top = std::min(top, end);
    Settle();
}

void ChatView::ScrollRows(int rows)
{
    ScrollTo(m_layout.advance(TopPosition(), rows));
}

// The scroll bar counts pieces: its end is the piece on top when the last row is at the bottom.
void ChatView::Settle()
{
    m_settle.ran();
    // Hidden in the tray, a flood moves nothing on screen: the view settles when it is shown.
    if (!isVisible())
        return;
    const Position end = EndPosition();
    if (m_followEnd)
        m_top = end;
    m_settingBar = true;
    verticalScrollBar()->setRange(0, int(end.piece));
    verticalScrollBar()->setPageStep(std::max(1, VisibleRows() / 2));
    verticalScrollBar()->setValue(int(m_top.piece));
    m_settingBar = false;
    viewport()->update();
}

void ChatView::scrollContentsBy(int, int)
{
    if (!m_settingBar)
        ScrollTo(Position{verticalScrollBar()->value(), 0});
}

void ChatView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const auto [from, to] = Selection();
    const Position top = TopPosition();
    int y = Margin - top.at * RowHeight();
    for (qsizetype piece = top.piece; piece < m_log.pieceCount() && y < viewport()->height(); ++piece) {
        const std::unique_ptr<QTextLayout> layout = m_layout.layOut(piece);
        const QList<QTextLayout::FormatRange> marks =
            m_text.matchRanges(m_search, m_currentMatch, piece) +
            SelectionRanges(piece, int(layout->text().size()), from, to, palette());
        const auto row = [&] { return QRect(Margin, y, viewport()->width() - 2 * Margin, RowHeight()); };
        const auto textRow = [&] { return row().adjusted(TextLeft() - Margin, 0, 0, 0); };
        if (MarkerRows(piece)) {
            DrawNewMarker(painter, row(), palette());
            y += RowHeight();
        }
        if (const qint64 time = m_record.timeAt(piece); time > 0)
            DrawTime(painter, row(), time, palette());
        layout->draw(&painter, QPointF(TextLeft(), y), marks);
        y += layout->lineCount() * RowHeight();
        if (const QStringList note = NoteLinesOf(piece); !note.isEmpty()) {
            DrawNote(painter, textRow(), note, palette());
            y += int(note.size()) * RowHeight();
        }
    }
    // The area shows no caret: a keyboard user sees where the focus is by this frame.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
    }
}

QList<qsizetype> ChatView::shownPieces() const
{
    QList<qsizetype> pieces;
    if (!isVisible())
        return pieces;
    const Position top = TopPosition();
    int y = Margin - top.at * RowHeight();
    for (qsizetype piece = top.piece; piece < m_log.pieceCount() && y < viewport()->height(); ++piece) {
        pieces.append(piece);
        y += m_layout.rowsOf(piece) * RowHeight();
    }
    return pieces;
}

QRect ChatView::pieceRect(qsizetype piece) const
{
    const Position top = TopPosition();
    int y = Margin - top.at * RowHeight();
    for (qsizetype at = top.piece; at < m_log.pieceCount() && y < viewport()->height(); ++at) {
        const int height = m_layout.rowsOf(at) * RowHeight();
        if (at == piece)
            return QRect(Margin, y, viewport()->width() - 2 * Margin, height);
        y += height;
    }
    return QRect();
}

QString ChatView::pieceItemText(qsizetype piece) const
{
    if (piece < 0 || piece >= m_log.pieceCount())
        return {};
    const QString text = platform::FromSystemText(m_log.piece(piece).toByteArray());
    const qint64 time = m_record.timeAt(piece);
    return time > 0 ? LineTime(time) + QLatin1Char(' ') + text : text;
}

void ChatView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ChatView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ChatView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    Settle();
}

void ChatView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_layout.forget();
    // The row on top may no longer exist at the new width.
    if (m_top.piece < m_log.pieceCount())
        m_top.at = std::min(m_top.at, m_layout.rowsOf(m_top.piece) - 1);
    Settle();
}

void ChatView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_timeGutter = TimeGutter(font());
        m_layout.forget();
        Settle();
    }
}

void ChatView::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 40; // three rows a notch, as text boxes scroll
    if (steps != 0)
        ScrollRows(-steps);
    event->accept();
}

void ChatView::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers().testFlag(Qt::ShiftModifier) && ExtendSelection(event->key(), event->modifiers()))
        event->accept();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        ScrollRows(event->key() == Qt::Key_Up ? -1 : 1);
    else if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown)
        ScrollRows((event->key() == Qt::Key_PageUp ? -1 : 1) * std::max(1, VisibleRows() - 1));
    else if (event->matches(QKeySequence::MoveToStartOfDocument))
        ScrollTo(Position());
    else if (event->matches(QKeySequence::MoveToEndOfDocument))
        scrollToEnd();
    else
        return QAbstractScrollArea::keyPressEvent(event);
    event->accept();
}

ChatView::Position ChatView::CharacterAt(const QPoint& point) const
{
    const Position top = TopPosition();
    int y = Margin - top.at * RowHeight();
    for (qsizetype piece = top.piece; piece < m_log.pieceCount(); ++piece) {
        const std::unique_ptr<QTextLayout> layout = m_layout.layOut(piece);
        y += MarkerRows(piece) * RowHeight();
        // A note's row belongs to the line above it.
        const int height = (layout->lineCount() + NoteRows(piece)) * RowHeight();
        if (point.y() < y + height || piece + 1 == m_log.pieceCount()) {
            const int row = std::clamp((point.y() - y) / RowHeight(), 0, layout->lineCount() - 1);
            return Position{piece, layout->lineAt(row).xToCursor(point.x() - TextLeft())};
        }
        y += height;
    }
    return Position();
}

std::pair<ChatView::Position, ChatView::Position> ChatView::Selection() const
{
    return {std::min(m_anchor, m_caret), std::max(m_anchor, m_caret)};
}

void ChatView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_anchor = m_caret = CharacterAt(event->position().toPoint());
    m_selecting = true;
    viewport()->update();
}

void ChatView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting)
        return;
    m_caret = CharacterAt(event->position().toPoint());
    viewport()->update();
}

void ChatView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_selecting || event->button() != Qt::LeftButton)
        return;
    m_selecting = false;
    if (QApplication::clipboard()->supportsSelection() && m_anchor != m_caret)
        QApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
}

void ChatView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &ChatView::copy);
    copyAction->setEnabled(m_anchor != m_caret);
    menu.addAction(tr("Select All"), this, &ChatView::selectAll);
    menu.addSeparator();
    menu.addAction(tr("&Find..."), QKeySequence::Find, this, &ChatView::findRequested);
    menu.addAction(m_toNewLines);
    const qsizetype piece = m_log.isEmpty() ? -1 : CharacterAt(viewport()->mapFromGlobal(event->globalPos())).piece;
    if (m_undelivered && piece >= 0 &&
        m_record.noteAfter(piece).contains(QCoreApplication::translate("ChatSession", "not delivered to: "))) {
        menu.addSeparator();
        menu.addAction(m_undelivered);
    }
    menu.exec(event->globalPos());
}

QString ChatView::selectedText() const
{
    const auto [from, to] = Selection();
    return m_text.between(from, to);
}

void ChatView::selectAll()
{
    m_anchor = Position();
    m_caret = m_text.end();
    viewport()->update();
}

void ChatView::copy() const
{
    if (m_anchor != m_caret)
        QApplication::clipboard()->setText(selectedText());
}

void ChatView::setSearch(const ChatSearch* search, qsizetype current)
{
    m_search = search;
    m_currentMatch = current;
    viewport()->update();
}

void ChatView::showOffset(qint64 offset)
{
    if (m_log.isEmpty())
        return;
    const qsizetype piece = m_log.pieceAt(offset);
    const Position top = TopPosition();
    const Position bottom = m_layout.advance(top, VisibleRows() - 1);
    if (top.piece < piece && piece < bottom.piece)
        return viewport()->update();
    ScrollTo(m_layout.advance(Position{piece, 0}, -VisibleRows() / 3));
}

qint64 ChatView::topOffset() const
{
    return m_log.isEmpty() ? 0 : m_log.pieceStart(TopPosition().piece);
}

void ChatView::showNewLines()
{
    if (m_marker >= 0 && m_marker < m_log.pieceCount())
        showOffset(m_log.pieceStart(m_marker));
}

void ChatView::setMarker(qsizetype piece)
{
    if (piece == m_marker)
        return;
    m_marker = piece;
    m_toNewLines->setEnabled(piece >= 0);
    // The row on top may have been the marker's.
    if (m_top.piece < m_log.pieceCount())
        m_top.at = std::min(m_top.at, m_layout.rowsOf(m_top.piece) - 1);
    Settle();
}

// A screen reader finds every note of the line in the description.
void ChatView::NoteAdded(qsizetype piece, const QString& text)
{
    setAccessibleDescription(piece >= 0 ? m_record.noteAfter(piece) : text);
    m_settle.requestLater();
    viewport()->update();
}

// Shift with an arrow key, Home or End moves the selection's free end; with nothing selected, Up, Left and Home
// start from the end of the text, Down, Right and End from the top of the view.
bool ChatView::ExtendSelection(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_log.isEmpty())
        return false;
    const bool backwards = key == Qt::Key_Up || key == Qt::Key_Left || key == Qt::Key_Home;
    const Position from = m_anchor != m_caret ? m_caret : backwards ? m_text.end() : Position{TopPosition().piece, 0};
    const std::optional<Position> to = m_text.moved(from, key, modifiers.testFlag(Qt::ControlModifier));
    if (!to)
        return false;
    if (m_anchor == m_caret)
        m_anchor = from;
    m_caret = *to;
    showOffset(m_log.pieceStart(m_caret.piece));
    viewport()->update();
    return true;
}
