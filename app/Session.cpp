// What survives between runs: the own name, the window's place and size, the user list and the chat text.
#include "app/Main.h"
#include "app/MainLayout.h"
#include "common/Errors.h"
#include "platform/ProfileFile.h"
#include "platform/SaveFile.h"
#include "platform/TextCodec.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>

namespace {
const QString SystemSection = QStringLiteral("SYSTEM");
// A log up to this size is read before the window shows; a longer one in the background.
constexpr qint64 HistoryAtOnce = 1 << 20;

QString SessionSeparator()
{
    return QStringLiteral("-- ") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat) +
           QStringLiteral(" ------------------");
}
} // namespace

// Each step on its own: a service that cannot start must not keep the previous chat text from coming back.
void TF_Main::RestoreSession()
{
    const platform::ProfileFile ini = platform::ProfileFile::load(IniPath());
    Guard([&] { userList().LoadUserList(ini); });
    Guard([&] { RestoreNameAndGeometry(ini); });
    if (ini.readBool(QStringLiteral("Startup"), QStringLiteral("AutoRun"), true))
        Guard([this] { Button3Click(); });
    Guard([&] { RestoreChatText(ini); });
    Memo->appendPlainText(SessionSeparator());
}

void TF_Main::RestoreNameAndGeometry(const platform::ProfileFile& ini)
{
    const auto integer = [&ini](const char* key, int fallback) {
        return ini.readInteger(SystemSection, QLatin1String(key), fallback);
    };
    UserName->setText(ini.readString(SystemSection, QStringLiteral("UserName"), QStringLiteral("Somebody")));
    move(integer("Left", 100), integer("Top", 55));
    const int width = std::max(integer("Width", DesignOuterSize.width()), MinimumOuterSize.width());
    const int height = std::max(integer("Height", DesignOuterSize.height()), MinimumOuterSize.height());
    resize(QSize(width, height) - FrameExtra);
}

// The file's bytes go into the chat area as they are: nothing is laid out until it is shown. A long log is read on
// a thread of its own, so that the program answers its peers and the person at once, whatever its size.
void TF_Main::RestoreChatText(const platform::ProfileFile& ini)
{
    const QFileInfo info(ChatPath());
    if (!info.exists() || !info.isFile())
        return;
    if (!ini.readBool(QStringLiteral("Startup"), QStringLiteral("RestoreText"), true))
        return;
    // Fail-safe: the file counts as unread until every byte of it is in the chat area, whatever stops the read.
    m_chatUnreadable = true;
    QFile file(ChatPath());
    if (!file.open(QIODevice::ReadOnly))
        throw ParleyError(QStringLiteral("Cannot open file %1").arg(ChatPath()));
    if (file.size() <= HistoryAtOnce) {
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError || !file.atEnd())
            throw ParleyError(QStringLiteral("Cannot open file %1").arg(ChatPath()));
        Memo->appendFileBytes(std::move(bytes));
        m_chatUnreadable = false;
        return;
    }
    m_historyLoad = std::async(std::launch::async, [path = ChatPath(), this]() -> std::optional<ChatLog> {
        std::optional<ChatLog> lines;
        try {
            QFile history(path);
            if (history.open(QIODevice::ReadOnly)) {
                QByteArray bytes = history.readAll();
                if (history.error() == QFileDevice::NoError && history.atEnd())
                    lines.emplace().appendFile(std::move(bytes));
            }
        } catch (...) {
            lines.reset(); // out of memory, or anything else: the file stays as it is
        }
        // The window waits for this thread before it goes, so it is still there to be told.
        QMetaObject::invokeMethod(this, Guarded([this] { FinishHistory(); }), Qt::QueuedConnection);
        return lines;
    });
}

void TF_Main::FinishHistory()
{
    if (!m_historyLoad.valid())
        return;
    std::optional<ChatLog> history = m_historyLoad.get();
    if (history) {
        Memo->prependLog(std::move(*history));
        m_chatUnreadable = false;
        return;
    }
    // Kept as it is on disk rather than replaced by a part of it; the caller's guard tells the person, or standard
    // error when the session ends.
    throw ParleyError(QStringLiteral("Cannot open file %1").arg(ChatPath()));
}

// The window's values and the user list, at every close attempt and at the end of the session.
void TF_Main::SaveSettingsFile()
{
    platform::ProfileFile ini = platform::ProfileFile::load(IniPath());
    const QSize outer = size() + FrameExtra;
    ini.writeInteger(SystemSection, QStringLiteral("Left"), pos().x());
    ini.writeInteger(SystemSection, QStringLiteral("Top"), pos().y());
    ini.writeString(SystemSection, QStringLiteral("UserName"), UserName->text());
    ini.writeInteger(SystemSection, QStringLiteral("Width"), outer.width());
    ini.writeInteger(SystemSection, QStringLiteral("Height"), outer.height());
    userList().SaveUserList(ini);
    ini.save();
}

void TF_Main::SaveChatText()
{
    FinishHistory();
    if (m_chatUnreadable)
        return;
    const QString error = platform::SaveFileAtomically(ChatPath(), [this](QIODevice& file) {
        return Memo->log().writeLines(
            [&file](QByteArrayView part) { return file.write(part.data(), part.size()) == part.size(); });
    });
    if (!error.isEmpty())
        throw ParleyError(QStringLiteral("Cannot create file %1").arg(ChatPath()));
}

void TF_Main::SaveSession()
{
    SaveSettingsFile();
    SaveChatText();
}
