#include "tests/support/Doubles.h"
#include "tests/support/Peer.h"

#include <QEventLoop>
#include <QTcpServer>
#include <QTimer>

platform::BoxAnswer ScriptedMessageBoxes::show(QWidget* owner, const QString& text, const QString& caption,
                                               platform::BoxIcon icon, platform::BoxButtons buttons)
{
    shown.append(Shown{owner, owner != nullptr, text, caption, icon, buttons});
    if (modalMs > 0) {
        mostOpenAtOnce = std::max(mostOpenAtOnce, ++open);
        QEventLoop modal;
        QTimer::singleShot(modalMs, &modal, &QEventLoop::quit);
        modal.exec();
        --open;
    }
    if (buttons == platform::BoxButtons::Ok)
        return platform::BoxAnswer::Ok;
    return answers.isEmpty() ? platform::BoxAnswer::Yes : answers.takeFirst();
}

QStringList ScriptedMessageBoxes::texts() const
{
    QStringList result;
    for (const Shown& s : shown)
        result.append(s.text);
    return result;
}

void RecordingShell::open(const QUrl& url)
{
    opened.append(url);
    if (onOpen)
        onOpen(url);
}

void FakeTrayArea::setIcon(const QIcon& i)
{
    icon = i;
    ++iconChanges;
}

TestServices::TestServices()
    : services{boxes,
               shell,
               cursor,
               tray,
               version,
               choosers,
               sound,
               notifications,
               programDir.path() + QStringLiteral("/parley"),
               configHome.path(),
               lockDir.path(),
               QHostAddress(QHostAddress::LocalHost),
               FreePort(),
               0}
{
    // Peers played by a test listen on their own 127.0.0.x address, on the same port as the program.
    services.peerPort = services.listenPort;
}

LockHolder::LockHolder(const QString& path)
{
    m_process.start(qEnvironmentVariable("LOCK_HOLDER"), {path});
    m_holding = m_process.waitForReadyRead(10000) && m_process.readAll().startsWith("locked");
}

LockHolder::~LockHolder()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
}
