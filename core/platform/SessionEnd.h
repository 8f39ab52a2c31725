#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Brings SIGTERM, SIGHUP and SIGINT to the GUI thread through a self-pipe, so that the end of the session or a
// kill is handled by the event loop like any other event. One instance at a time.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

Q_SIGNALS:
    void endRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace platform
