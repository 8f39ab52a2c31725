#include "ui/ChatView.h"

#include "common/ChatSearch.h"
#include "platform/TextCodec.h"
#include "ui/ChatViewAccessible.h"
#include "ui/WidgetHelpers.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>

namespace {
constexpr int Margin = 4;
// The row cache is dropped whole when it grows past this; it is rebuilt from what is shown.
constexpr int RowCacheLimit = 16384;

} // namespace

ChatView::ChatView(QWidget* parent) : QAbstractScrollArea(parent)
{
    InstallChatViewAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

ChatView::~ChatView() = default;

void ChatView::appendPlainText(const QString& text)
{
    m_log.appendText(platform::ToSystemText(text));
    TextChanged();
}

void ChatView::appendFileBytes(QByteArray bytes)
{
    m_log.appendFile(std::move(bytes));
    TextChanged();
}

void ChatView::prependLog(ChatLog&& earlier)
{
    const qsizetype shift = earlier.pieceCount();
    m_log.prepend(std::move(earlier));
    m_rows.clear();
    m_characters = -1;
    for (Position* position : {&m_top, &m_anchor, &m_caret})
        position->piece += shift;
    QMap<qsizetype, QString> notes;
    for (auto note = m_notes.cbegin(); note != m_notes.cend(); ++note)
        notes.insert(note.key() + shift, note.value());
    m_notes.swap(notes);
    m_settle.requestLater();
    Q_EMIT prepended(shift);
    Q_EMIT logReset();
    Q_EMIT textChanged();
}

void ChatView::setPlainText(const QString& text)
{
    m_log.clear();
    Forget();
    Q_EMIT logReset();
    appendPlainText(text);
}

void ChatView::clear()
{
    m_log.clear();
    Forget();
    Q_EMIT logReset();
    TextChanged();
}

QString ChatView::toPlainText() const
{
    QString text;
    for (qsizetype i = 0; i < m_log.pieceCount(); ++i)
        text += PlainPiece(i);
    return text;
}

qsizetype ChatView::characterCount() const
{
    if (m_characters < 0) {
        m_characters = 0;
        for (qsizetype i = 0; i < m_log.pieceCount(); ++i)
            m_characters += PlainPiece(i).size();
    }
    return m_characters;
}

QString ChatView::textRange(qsizetype start, qsizetype end) const
{
    QString text;
    qsizetype at = 0;
    for (qsizetype i = 0; i < m_log.pieceCount() && at < end; ++i) {
        const QString piece = PlainPiece(i);
        if (at + piece.size() > start)
            text += QStringView(piece).mid(std::max<qsizetype>(0, start - at), end - std::max(start, at));
        at += piece.size();
    }
    return text;
}

QString ChatView::lineText(qsizetype index) const
{
    return platform::FromSystemText(m_log.line(index));
}

QString ChatView::PieceText(qsizetype piece) const
{
    return platform::FromSystemText(m_log.piece(piece).toByteArray());
}

QString ChatView::PlainPiece(qsizetype piece) const
{
    QString text = PieceText(piece);
    if (m_log.pieceEndsLine(piece) && piece + 1 < m_log.pieceCount())
        text += QLatin1Char('\n');
    return text;
}

void ChatView::TextChanged()
{
    m_characters = -1;
    m_followEnd = true;
    m_settle.requestLater();
    Q_EMIT textChanged();
}

void ChatView::Forget()
{
    m_rows.clear();
    m_top = Position();
    m_anchor = m_caret = Position();
    m_notes.clear();
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

int ChatView::VisibleRows() const
{
    return std::max(1, (viewport()->height() - Margin) / RowHeight());
}

std::unique_ptr<QTextLayout> ChatView::LayOut(qsizetype piece) const
{
    auto layout = std::make_unique<QTextLayout>(PieceText(piece), font());
    QTextOption option;
    option.setWrapMode(WrapModeFor(layout->text()));
    layout->setTextOption(option);
    const qreal width = std::max(1, viewport()->width() - 2 * Margin);
    const int rowHeight = RowHeight();
    int row = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, row++ * rowHeight));
    }
    layout->endLayout();
    if (m_rows.size() > RowCacheLimit)
        m_rows.clear();
    m_rows.insert(piece, std::max(1, row));
    return layout;
}

int ChatView::RowsOf(qsizetype piece) const
{
    const auto known = m_rows.constFind(piece);
    return MarkerRows(piece) + NoteRows(piece) +
           (known != m_rows.cend() ? *known : std::max(1, LayOut(piece)->lineCount()));
}

ChatView::Position ChatView::EndPosition() const
{
    int rows = 0;
    const int visible = VisibleRows();
    for (qsizetype piece = m_log.pieceCount() - 1; piece >= 0; --piece) {
        rows += RowsOf(piece);
        if (rows >= visible)
            return Position{piece, rows - visible};
    }
    return Position();
}

ChatView::Position ChatView::TopPosition() const
{
    return m_followEnd ? EndPosition() : std::min(m_top, EndPosition());
}

ChatView::Position ChatView::Advance(Position top, int rows) const
{
    while (rows > 0 && top.piece < m_log.pieceCount()) {
        const int left = RowsOf(top.piece) - 1 - top.at;
        if (rows <= left)
            return Position{top.piece, top.at + rows};
        rows -= left + 1;
        top = Position{top.piece + 1, 0};
    }
    while (rows < 0) {
        if (-rows <= top.at)
            return Position{top.piece, top.at + rows};
        if (top.piece == 0)
            return Position();
        rows += top.at + 1;
        top = Position{top.piece - 1, RowsOf(top.piece - 1) - 1};
    }
    return top;
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
    ScrollTo(Advance(TopPosition(), rows));
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
        const std::unique_ptr<QTextLayout> layout = LayOut(piece);
        QList<QTextLayout::FormatRange> selected;
        if (from.piece <= piece && piece <= to.piece && from != to) {
            const int start = piece == from.piece ? from.at : 0;
            const int end = piece == to.piece ? to.at : int(layout->text().size());
            QTextLayout::FormatRange range{start, end - start, {}};
            range.format.setBackground(palette().brush(QPalette::Highlight));
            range.format.setForeground(palette().brush(QPalette::HighlightedText));
            selected.append(range);
        }
        selected = MatchRanges(piece) + selected;
        if (MarkerRows(piece)) {
            DrawMarker(painter, y);
            y += RowHeight();
        }
        layout->draw(&painter, QPointF(Margin, y), selected);
        y += layout->lineCount() * RowHeight();
        if (NoteRows(piece)) {
            DrawNote(painter, y, m_notes.value(piece));
            y += RowHeight();
        }
    }
    // The area shows no caret: a keyboard user sees where the focus is by this frame.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
    }
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
    m_rows.clear();
    // The row on top may no longer exist at the new width.
    if (m_top.piece < m_log.pieceCount())
        m_top.at = std::min(m_top.at, RowsOf(m_top.piece) - 1);
    Settle();
}

void ChatView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_rows.clear();
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
        const std::unique_ptr<QTextLayout> layout = LayOut(piece);
        y += MarkerRows(piece) * RowHeight();
        // A note's row belongs to the line above it.
        const int height = (layout->lineCount() + NoteRows(piece)) * RowHeight();
        if (point.y() < y + height || piece + 1 == m_log.pieceCount()) {
            const int row = std::clamp((point.y() - y) / RowHeight(), 0, layout->lineCount() - 1);
            return Position{piece, layout->lineAt(row).xToCursor(point.x() - Margin)};
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
    menu.exec(event->globalPos());
}

QString ChatView::selectedText() const
{
    const auto [from, to] = Selection();
    QString text;
    for (qsizetype piece = from.piece; piece <= to.piece && piece < m_log.pieceCount(); ++piece) {
        const QString pieceText = PieceText(piece);
        const int start = piece == from.piece ? from.at : 0;
        const int end = piece == to.piece ? to.at : int(pieceText.size());
        text += QStringView(pieceText).mid(start, end - start);
        if (piece != to.piece && m_log.pieceEndsLine(piece))
            text += QLatin1Char('\n');
    }
    return text;
}

void ChatView::selectAll()
{
    if (m_log.isEmpty())
        return;
    m_anchor = Position();
    m_caret = Position{m_log.pieceCount() - 1, int(PieceText(m_log.pieceCount() - 1).size())};
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
    const Position bottom = Advance(top, VisibleRows() - 1);
    if (top.piece < piece && piece < bottom.piece)
        return viewport()->update();
    ScrollTo(Advance(Position{piece, 0}, -VisibleRows() / 3));
}

qint64 ChatView::topOffset() const
{
    return m_log.isEmpty() ? 0 : m_log.pieceStart(TopPosition().piece);
}

QList<QTextLayout::FormatRange> ChatView::MatchRanges(qsizetype piece) const
{
    QList<QTextLayout::FormatRange> ranges;
    if (!m_search || m_search->matches().empty())
        return ranges;
    const QByteArrayView bytes = m_log.piece(piece);
    const qint64 start = m_log.pieceStart(piece);
    const qint64 end = start + bytes.size();
    const auto& matches = m_search->matches();
    qsizetype index = m_search->firstFrom(start);
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
        const bool current = index == m_currentMatch;
        range.format.setBackground(current ? QColor(255, 150, 50) : QColor(255, 230, 120));
        range.format.setForeground(QColor(Qt::black));
        ranges.append(range);
    }
    return ranges;
}

void ChatView::setMarker(qsizetype piece)
{
    if (piece == m_marker)
        return;
    m_marker = piece;
    // The row on top may have been the marker's.
    if (m_top.piece < m_log.pieceCount())
        m_top.at = std::min(m_top.at, RowsOf(m_top.piece) - 1);
    Settle();
}

// A line across the area with "New" at its right, in the colour of links, on a row of its own.
void ChatView::DrawMarker(QPainter& painter, int y) const
{
    const QColor colour = palette().color(QPalette::Link);
    const QString caption = QStringLiteral("New");
    const int captionWidth = fontMetrics().horizontalAdvance(caption);
    const int right = viewport()->width() - Margin;
    const int middle = y + RowHeight() / 2;
    painter.save();
    painter.setPen(colour);
    painter.drawLine(Margin, middle, right - captionWidth - Margin, middle);
    painter.drawText(QRect(right - captionWidth, y, captionWidth, RowHeight()), Qt::AlignVCenter, caption);
    painter.restore();
}

void ChatView::addNote(const QString& text)
{
    if (m_log.isEmpty())
        return;
    m_notes.insert(m_log.pieceCount() - 1, text);
    while (m_notes.size() > MaxNotes)
        m_notes.erase(m_notes.begin());
    setAccessibleDescription(text);
    m_settle.requestLater();
    viewport()->update();
}

// In italics, in the colour of hints, indented: a remark of the program's, not a line of the chat.
void ChatView::DrawNote(QPainter& painter, int y, const QString& note) const
{
    QFont font = this->font();
    font.setItalic(true);
    const int indent = Margin + fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4;
    const int width = viewport()->width() - indent - Margin;
    painter.save();
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const QString shown = QFontMetrics(font).elidedText(note, Qt::ElideRight, width);
    painter.drawText(QRect(indent, y, width, RowHeight()), Qt::AlignVCenter, shown);
    painter.restore();
}

// Shift with an arrow key, Home or End moves the selection's free end; with nothing selected, Up, Left and Home
// start from the end of the text, Down, Right and End from the top of the view.
bool ChatView::ExtendSelection(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_log.isEmpty())
        return false;
    const qsizetype last = m_log.pieceCount() - 1;
    const auto length = [this](qsizetype piece) { return int(PieceText(piece).size()); };
    const bool backwards = key == Qt::Key_Up || key == Qt::Key_Left || key == Qt::Key_Home;
    if (m_anchor == m_caret)
        m_anchor = m_caret = backwards ? Position{last, length(last)} : Position{TopPosition().piece, 0};
    Position& caret = m_caret;
    const bool wholeText = modifiers.testFlag(Qt::ControlModifier);
    if (key == Qt::Key_Left)
        caret = caret.at > 0      ? Position{caret.piece, caret.at - 1}
                : caret.piece > 0 ? Position{caret.piece - 1, length(caret.piece - 1)}
                                  : caret;
    else if (key == Qt::Key_Right)
        caret = caret.at < length(caret.piece) ? Position{caret.piece, caret.at + 1}
                : caret.piece < last           ? Position{caret.piece + 1, 0}
                                               : caret;
    else if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const qsizetype piece = std::clamp<qsizetype>(caret.piece + (key == Qt::Key_Up ? -1 : 1), 0, last);
        caret = Position{piece, std::min(caret.at, length(piece))};
    } else if (key == Qt::Key_Home)
        caret = wholeText ? Position() : Position{caret.piece, 0};
    else if (key == Qt::Key_End)
        caret = wholeText ? Position{last, length(last)} : Position{caret.piece, length(caret.piece)};
    else
        return false;
    showOffset(m_log.pieceStart(caret.piece));
    viewport()->update();
    return true;
}
