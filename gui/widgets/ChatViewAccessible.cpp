#include "gui/widgets/ChatViewAccessible.h"

#include "gui/widgets/ChatView.h"

#include <QAccessible>
#include <QAccessibleWidget>

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

// What a screen reader reads and how it finds the area: an editable text that is read-only, as any chat log.
class ChatViewAccessible : public QAccessibleWidget, public ReadOnlyText {
public:
    explicit ChatViewAccessible(ChatView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

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
