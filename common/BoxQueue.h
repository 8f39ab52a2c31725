#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// Boxes that network events raise. A peer decides how often they happen, so they are never shown from inside the
// socket event (a modal box there runs the event loop under the handler's feet) and never stacked: each waits its
// turn, one at a time, and a text that is already waiting or showing is not queued again.
class BoxQueue : public QObject {
    Q_OBJECT
public:
    enum class Kind { Information, Error };
    // show is modal: it returns when the person has closed the box.
    using Show = std::function<void(Kind kind, const QString& text)>;

    explicit BoxQueue(Show show, QObject* parent = nullptr);

    void post(Kind kind, const QString& text);
    int waiting() const { return int(m_waiting.size()); }

private:
    struct Box {
        Kind kind;
        QString text;
    };
    void scheduleNext();
    void showNext();

    Show m_show;
    QList<Box> m_waiting;
    QString m_showing;
    bool m_busy = false;
    bool m_scheduled = false;
};
