#include "core/files/SendCommand.h"

#include "core/base/Errors.h"
#include "core/files/FileWire.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace files {

namespace {
constexpr int AnswerWithinMs = 10000;
// A request names at most this many paths, in at most this many bytes: a stray client cannot make the copy hold more.
constexpr qint64 MaxRequestBytes = 16 * 1024 * 1024;
} // namespace

QString SendCommandSocket()
{
    return QStringLiteral("quendlewick-parley-send-%1").arg(::getuid());
}

namespace {
// An abstract socket has no file to guard it: whoever connects is asked who they are.
bool SameUser(const QLocalSocket& client)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(int(client.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::getuid();
}
} // namespace

SendCommandServer::SendCommandServer(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)), m_server(new QLocalServer(this))
{
    // In the abstract namespace the socket belongs to the machine's network (a network namespace is a machine of
    // its own) and leaves nothing behind when the copy is killed.
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(m_server, &QLocalServer::newConnection, this, Guarded([this] {
                while (QLocalSocket* client = m_server->nextPendingConnection()) {
                    if (!SameUser(*client)) {
                        client->abort();
                        client->deleteLater();
                        continue;
                    }
                    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
                    connect(client, &QLocalSocket::readyRead, this, Guarded([this, client] {
                                if (client->bytesAvailable() > MaxRequestBytes)
                                    return client->abort();
                                QDataStream stream(client);
                                Prepared(stream).startTransaction();
                                QString to;
                                QStringList paths;
                                stream >> to >> paths;
                                if (!stream.commitTransaction())
                                    return;
                                const auto [offered, text] = m_handler(to, paths);
                                QByteArray answer;
                                QDataStream out(&answer, QIODevice::WriteOnly);
                                Prepared(out) << offered << text;
                                client->write(answer);
                                client->disconnectFromServer();
                            }));
                }
            }));
}

bool SendCommandServer::Listen()
{
    return m_server->listen(SendCommandSocket());
}

int RunSendCommand(const QStringList& paths, const QString& to)
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(SendCommandSocket());
    if (!socket.waitForConnected(AnswerWithinMs)) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate(
                         "SendCommand", "Parley is not running for this user: start it, then send the files again.")));
        return 1;
    }
    QStringList absolute;
    for (const QString& path : paths)
        absolute.append(QFileInfo(path).absoluteFilePath());
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    Prepared(out) << to << absolute;
    socket.write(request);
    socket.flush();
    QByteArray answer;
    while (socket.waitForReadyRead(AnswerWithinMs) || socket.bytesAvailable() > 0) {
        answer += socket.readAll();
        if (socket.state() != QLocalSocket::ConnectedState)
            break;
    }
    answer += socket.readAll();
    QDataStream in(answer);
    bool offered = false;
    QString text;
    Prepared(in) >> offered >> text;
    if (in.status() != QDataStream::Ok) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate("SendCommand", "The running Parley did not answer.")));
        return 1;
    }
    std::fprintf(offered ? stdout : stderr, "%s\n", qPrintable(text));
    return offered ? 0 : 1;
}

std::optional<SendRequest> ParseSendRequest(const QStringList& arguments)
{
    if (!arguments.contains(QStringLiteral("--send")))
        return std::nullopt;
    SendRequest request;
    bool collecting = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--send")) {
            collecting = true;
        } else if (argument == QLatin1String("--to")) {
            collecting = false;
            request.to = arguments.value(++i);
        } else if (argument.startsWith(QLatin1String("--to="))) {
            collecting = false;
            request.to = argument.mid(5);
        } else if (collecting) {
            request.paths.append(argument);
        }
    }
    if (request.paths.isEmpty() || request.to.isEmpty())
        request.error = QCoreApplication::translate("SendCommand", "Usage: parley --send PATH... --to ADDRESS");
    return request;
}

} // namespace files
