#include "ui/ChatViewAccessible.h"

#include "ui/ChatView.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>
#include <climits>

namespace {
// What a screen reader reads and how it finds the area: an editable text that is read-only, as any chat log.
class ChatViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
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

private:
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
