#include "gui/widgets/ChatViewAccessible.h"

#include "gui/widgets/ChatView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <utility>

namespace {
// A text that can be read and not edited, selected or pointed at.
class ReadOnlyText : public QAccessibleTextInterface {
public:
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return QString();
    }
};

// A stretch of the chat text as a text of its own, so that Qt's rules for characters, words and lines run over the
// pieces around a place instead of over the whole log (which they would read whole at every question).
class TextWindow : public ReadOnlyText {
public:
    explicit TextWindow(QString text) : m_text(std::move(text)) {}
    QString text(int start, int end) const override { return m_text.mid(start, end - start); }
    int characterCount() const override { return int(m_text.size()); }

private:
    QString m_text;
};

// A line shown in the chat area, as an item of its own: its time, sender and text as the name, its notes as the
// description.
class ChatLineAccessible : public QAccessibleInterface {
public:
    ChatLineAccessible(ChatView* view, qsizetype piece) : m_view(view), m_piece(piece) {}
    bool isValid() const override { return m_view && m_piece < m_view->log().pieceCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        if (kind == QAccessible::Name)
            return m_view->pieceItemText(m_piece);
        return kind == QAccessible::Description ? m_view->noteAfter(m_piece) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const QRect local = isValid() ? m_view->pieceRect(m_piece) : QRect();
        return local.isNull() ? QRect() : QRect(m_view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !isValid() || m_view->pieceRect(m_piece).isNull();
        return state;
    }

private:
    QPointer<ChatView> m_view;
    qsizetype m_piece;
};

// What a screen reader reads and how it finds the area: an editable text that is read-only, as any chat log, whose
// children are the lines shown, each an item.
class ChatViewAccessible : public QAccessibleWidget, public ReadOnlyText {
public:
    // More line items than a screen holds are let go, oldest first.
    static constexpr qsizetype MaxItems = 512;

    explicit ChatViewAccessible(ChatView* view) : QAccessibleWidget(view, QAccessible::EditableText)
    {
        // Earlier history went in, or "Clear": the pieces are other lines now.
        QObject::connect(view, &ChatView::logReset, view, [this] { ForgetItems(); });
    }
    ~ChatViewAccessible() override { ForgetItems(); }

    int childCount() const override { return QAccessibleWidget::childCount() + int(view()->shownPieces().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        const QList<qsizetype> shown = view()->shownPieces();
        return index - widgets < shown.size() ? Item(shown[index - widgets]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        const QList<qsizetype> shown = view()->shownPieces();
        for (qsizetype i = 0; i < shown.size(); ++i)
            if (m_items.contains(shown[i]) && QAccessible::accessibleInterface(m_items.value(shown[i])) == child)
                return widgets + int(i);
        return QAccessibleWidget::indexOfChild(child);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(int start, int end) const override { return view()->textRange(start, end < 0 ? INT_MAX : end); }
    QString text(QAccessible::Text kind) const override { return QAccessibleWidget::text(kind); }
    int characterCount() const override { return int(std::min<qsizetype>(view()->characterCount(), INT_MAX)); }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return Near(offset, type, start, end, &QAccessibleTextInterface::textBeforeOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return Near(offset, type, start, end, &QAccessibleTextInterface::textAfterOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return Near(offset, type, start, end, &QAccessibleTextInterface::textAtOffset);
    }

private:
    using Question = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*, int*) const;

    // Asked of the pieces around the offset, the answer's place moved back into the whole text.
    QString Near(int offset, QAccessible::TextBoundaryType type, int* start, int* end, Question question) const
    {
        if (type == QAccessible::NoBoundary) {
            *start = 0;
            *end = characterCount();
            return text(0, *end);
        }
        qsizetype windowStart = 0;
        const TextWindow window(view()->textAround(offset, &windowStart));
        const QString answer = (window.*question)(int(offset - windowStart), type, start, end);
        if (*start >= 0 && *end >= 0) {
            *start += int(windowStart);
            *end += int(windowStart);
        }
        return answer;
    }

    ChatView* view() const { return static_cast<ChatView*>(widget()); }

    QAccessibleInterface* Item(qsizetype piece) const
    {
        if (const auto known = m_items.constFind(piece); known != m_items.constEnd())
            return QAccessible::accessibleInterface(*known);
        if (m_items.size() >= MaxItems)
            ForgetItems();
        const QAccessible::Id id = QAccessible::registerAccessibleInterface(new ChatLineAccessible(view(), piece));
        m_items.insert(piece, id);
        return QAccessible::accessibleInterface(id);
    }
    void ForgetItems() const
    {
        for (const QAccessible::Id id : std::as_const(m_items))
            QAccessible::deleteAccessibleInterface(id);
        m_items.clear();
    }

    mutable QHash<qsizetype, QAccessible::Id> m_items;
};

QAccessibleInterface* ChatViewAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ChatView") && object && object->isWidgetType())
        return new ChatViewAccessible(static_cast<ChatView*>(object));
    return nullptr;
}
} // namespace

void InstallChatViewAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(ChatViewAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
