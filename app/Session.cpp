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
// A longer history goes into the chat area piece by piece while the program already answers; each piece ends at a
// line break and costs the event loop a few milliseconds.
constexpr qsizetype HistoryAtOnce = 1 << 20;
constexpr qsizetype HistoryPiece = 64 * 1024;

// Lines as "chat.txt" holds them: each ends with CR LF.
QByteArray FileLines(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (const QStringView line : text.split(QLatin1Char('\n')))
        bytes += platform::ToSystemText(line.toString()) + "\r\n";
    return bytes;
}

// Bytes of "chat.txt" not yet shown, with the line ends the file gets on saving; nothing else changes.
QByteArray FileLines(const QByteArray& raw)
{
    QByteArray bytes;
    bytes.reserve(raw.size() + raw.size() / 16 + 2);
    // As the chat area would hold them: CR LF, a lone LF and a lone CR each end a line.
    qsizetype start = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c != '\r' && c != '\n')
            continue;
        bytes.append(raw.constData() + start, i - start);
        bytes += "\r\n";
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < raw.size()) {
        bytes.append(raw.constData() + start, raw.size() - start);
        bytes += "\r\n";
    }
    return bytes;
}

// Bytes of "chat.txt" as the chat area holds them: lines joined by "\n"; the end of the file ends its last line.
QString HistoryText(const QByteArray& bytes, bool endsTheFile)
{
    QString text = platform::FromSystemText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (endsTheFile && !text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    return text;
}

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

void TF_Main::RestoreChatText(const platform::ProfileFile& ini)
{
    const QFileInfo info(ChatPath());
    if (!info.exists() || !info.isFile())
        return;
    if (!ini.readBool(QStringLiteral("Startup"), QStringLiteral("RestoreText"), true))
        return;
    QFile file(ChatPath());
    if (!file.open(QIODevice::ReadOnly)) {
        m_chatUnreadable = true;
        throw ParleyError(QStringLiteral("Cannot open file %1").arg(ChatPath()));
    }
    QByteArray bytes = file.readAll();
    if (bytes.size() > HistoryAtOnce) {
        m_history = std::move(bytes);
        m_historyDone = 0;
        QTimer::singleShot(0, this, Guarded([this] { LoadHistoryPiece(); }));
        return;
    }
    QString text = HistoryText(bytes, true);
    text.chop(1); // the separator line that follows starts a line of its own
    Memo->setPlainText(text);
}

// The next piece of a long history goes in before the separator line and whatever came since.
void TF_Main::LoadHistoryPiece()
{
    if (m_history.isEmpty())
        return;
    if (m_historyDone == 0) {
        m_historyCursor = QTextCursor(Memo->document());
        m_historyCursor.movePosition(QTextCursor::Start);
    }
    qsizetype end = m_history.indexOf('\n', std::min(m_historyDone + HistoryPiece, m_history.size()) - 1);
    end = end < 0 ? m_history.size() : end + 1;
    const bool last = end == m_history.size();
    m_historyCursor.insertText(HistoryText(m_history.mid(m_historyDone, end - m_historyDone), last));
    m_historyDone = end;
    if (last)
        DropPendingHistory();
    else
        QTimer::singleShot(0, this, Guarded([this] { LoadHistoryPiece(); }));
}

void TF_Main::DropPendingHistory()
{
    m_history.clear();
    m_historyDone = 0;
    m_historyCursor = QTextCursor();
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
    if (m_chatUnreadable)
        return;
    QByteArray bytes;
    if (!Memo->document()->isEmpty()) {
        const QString text = Memo->toPlainText();
        // A history still being loaded is written whole: what is not shown yet goes, as it stands in the file,
        // where it belongs.
        const qsizetype shown = m_history.isEmpty() ? 0 : m_historyCursor.position();
        if (shown > 0)
            bytes += FileLines(QStringView(text).left(shown - 1));
        if (!m_history.isEmpty())
            bytes += FileLines(m_history.mid(m_historyDone));
        bytes += FileLines(QStringView(text).mid(shown));
    }
    if (!platform::SaveFileAtomically(ChatPath(), bytes).isEmpty())
        throw ParleyError(QStringLiteral("Cannot create file %1").arg(ChatPath()));
}

void TF_Main::SaveSession()
{
    SaveSettingsFile();
    SaveChatText();
}
