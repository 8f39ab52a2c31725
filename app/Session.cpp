// What survives between runs, as the main window shows it: the own name, the window's place and size, and the chat
// text. The session store loads and saves; this only puts its values into the widgets and takes them back.
#include "app/Main.h"
#include "app/MainLayout.h"
#include "common/Errors.h"
#include "common/SessionStore.h"

#include <QDate>
#include <QLineEdit>
#include <QLocale>

namespace {
QString SessionSeparator()
{
    return QStringLiteral("-- ") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat) +
           QStringLiteral(" ------------------");
}
} // namespace

// Each step on its own: a service that cannot start must not keep the previous chat text from coming back.
void TF_Main::restoreSession()
{
    Guard([this] { showPlace(m_store.loadWindowPlace()); });
    if (m_settings.AutoRun)
        Guard([this] { onRunStopClicked(); });
    if (m_settings.RestoreText)
        Guard([this] { restoreChatText(); });
    m_chatArea->appendPlainText(SessionSeparator());
}

void TF_Main::showPlace(const SessionStore::WindowPlace& place)
{
    m_nameBox->setText(place.userName);
    move(place.topLeft);
    resize(place.outerSize - FrameExtra);
}

SessionStore::WindowPlace TF_Main::place() const
{
    return {m_nameBox->text(), pos(), size() + FrameExtra};
}

// The file's bytes go into the chat area as they are: nothing is laid out until it is shown. A long log is read on
// a thread of its own, so that the program answers its peers and the person at once, whatever its size.
void TF_Main::restoreChatText()
{
    // The window waits for the reading thread before it goes, so it is still there to be told.
    std::optional<QByteArray> bytes = m_store.readHistory(
        [this] { QMetaObject::invokeMethod(this, Guarded([this] { finishHistory(); }), Qt::QueuedConnection); });
    if (bytes)
        m_chatArea->appendFileBytes(std::move(*bytes));
}

// Puts the history read in the background above what came since; a read that failed keeps the file on disk as it
// is, and the caller's guard tells the person, or standard error when the session ends.
void TF_Main::finishHistory()
{
    if (std::optional<ChatLog> history = m_store.finishHistory())
        m_chatArea->prependLog(std::move(*history));
}

bool TF_Main::historyLoading() const
{
    return m_store.historyLoading();
}

const ChatLog& TF_Main::chatLog()
{
    finishHistory();
    return m_chatArea->log();
}

// The window's values, the user list and the chat text, at every close attempt.
void TF_Main::saveSession()
{
    m_store.saveWindowAndList(place(), userList());
    m_store.saveChat(chatLog());
}
