#include "gui/app/ChatHistory.h"

#include "core/base/Errors.h"
#include "core/session/SessionStore.h"
#include "gui/widgets/ChatView.h"

#include <QDate>
#include <QLocale>

#include <optional>
#include <utility>

namespace {
QString SessionSeparator()
{
    return QStringLiteral("-- ") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat) +
           QStringLiteral(" ------------------");
}
} // namespace

ChatHistory::ChatHistory(SessionStore& store, ChatView& chatArea, QObject* parent)
    : QObject(parent), m_store(store), m_chatArea(chatArea)
{}

ChatHistory::~ChatHistory()
{
    m_store.waitForHistory();
}

// The file's bytes go into the chat area as they are: nothing is laid out until it is shown.
void ChatHistory::restore()
{
    // This object waits for the reading thread before it goes, so it is still there to be told.
    std::optional<QByteArray> bytes = m_store.readHistory(
        [this] { QMetaObject::invokeMethod(this, Guarded([this] { finish(); }), Qt::QueuedConnection); });
    if (bytes)
        m_chatArea.appendFileBytes(std::move(*bytes));
}

void ChatHistory::finish()
{
    if (std::optional<ChatLog> history = m_store.finishHistory())
        m_chatArea.prependLog(std::move(*history));
}

void ChatHistory::startSession()
{
    append(SessionSeparator());
}

void ChatHistory::append(const QString& text)
{
    const qsizetype from = m_chatArea.log().pieceCount();
    m_chatArea.appendPlainText(text);
    m_store.appendChat(m_chatArea.log().fileBytesFrom(from));
}

void ChatHistory::clear()
{
    finish();
    m_chatArea.clear();
    m_store.clearChat();
}

bool ChatHistory::loading() const
{
    return m_store.historyLoading();
}

const ChatLog& ChatHistory::log()
{
    finish();
    return m_chatArea.log();
}
