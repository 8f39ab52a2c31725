#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// Boxes that events raise: network events, and errors that surface in any handler. A peer decides how often they
// happen, so they are never shown from inside the handler (a modal box there runs the event loop under the
// handler's feet) and never stacked: each waits its turn, one at a time, and a text that is already waiting or
// showing is not queued again.
class BoxQueue : public QObject {
    Q_OBJECT
public:
    // Information, Error, KeyWarning (a peer's key for private lines is not the one it had) and Question come from
    // the network; Failure is the general error handler's box.
    enum class Kind { Information, Error, KeyWarning, Failure, Question };
    // show is modal: it returns when the person has closed the box, with whether they said yes to a question.
    using Show = std::function<bool(Kind kind, const QString& text)>;

    explicit BoxQueue(Show show, QObject* parent = nullptr);

    void post(Kind kind, const QString& text);
    // A question whose yes runs onYes, when the person gives it.
    void ask(const QString& text, std::function<void()> onYes);
    int waiting() const { return int(m_waiting.size()); }
    // The program is on its way out and nobody may be there to close a box: what waits, and whatever comes later,
    // goes to standard error instead.
    void divertToStandardError();

private:
    struct Box {
        Kind kind;
        QString text;
        std::function<void()> onYes;
    };
    void Queue(Box box);
    void scheduleNext();
    void showNext();

    Show m_show;
    QList<Box> m_waiting;
    QString m_showing;
    bool m_busy = false;
    bool m_scheduled = false;
    bool m_diverted = false;
};
