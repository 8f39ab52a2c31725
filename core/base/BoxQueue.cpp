#include "core/base/BoxQueue.h"

#include "core/base/Errors.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <utility>

BoxQueue::BoxQueue(Show show, QObject* parent) : QObject(parent), m_show(std::move(show)) {}

void BoxQueue::post(Kind kind, const QString& text)
{
    Queue(Box{kind, text, {}});
}

void BoxQueue::ask(const QString& text, std::function<void()> onYes)
{
    Queue(Box{Kind::Question, text, std::move(onYes)});
}

void BoxQueue::Queue(Box box)
{
    if (m_diverted) {
        qWarning().noquote() << "Parley:" << box.text;
        return;
    }
    const auto same = [&box](const Box& waiting) { return waiting.text == box.text; };
    if ((m_busy && m_showing == box.text) || std::any_of(m_waiting.cbegin(), m_waiting.cend(), same))
        return;
    m_waiting.append(std::move(box));
    scheduleNext();
}

void BoxQueue::divertToStandardError()
{
    m_diverted = true;
    for (const Box& box : std::exchange(m_waiting, {}))
        qWarning().noquote() << "Parley:" << box.text;
}

void BoxQueue::scheduleNext()
{
    if (m_busy || m_scheduled || m_waiting.isEmpty())
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, Guarded([this] {
                           m_scheduled = false;
                           showNext();
                       }));
}

void BoxQueue::showNext()
{
    if (m_busy || m_waiting.isEmpty())
        return;
    const Box box = m_waiting.takeFirst();
    m_busy = true;
    m_showing = box.text;
    struct Done {
        BoxQueue* queue;
        ~Done()
        {
            queue->m_busy = false;
            queue->m_showing.clear();
            queue->scheduleNext();
        }
    } done{this};
    if (m_show(box.kind, box.text) && box.onYes)
        box.onYes();
}
