#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QLocalServer;

namespace files {

// "parley --send PATH... --to ADDRESS" hands the files to the copy that runs for this user, through a socket only
// this user can reach, and says what became of them.
class SendCommandServer : public QObject {
    Q_OBJECT
public:
    // What the running copy does with a request: the text to print, and whether it was offered.
    using Handler = std::function<std::pair<bool, QString>(const QString& to, const QStringList& paths)>;

    explicit SendCommandServer(Handler handler, QObject* parent = nullptr);
    // False where another copy of this user listens already, or the socket cannot be made.
    bool Listen();

private:
    Handler m_handler;
    QLocalServer* m_server;
};

// Where the running copy listens for this user.
QString SendCommandSocket();

// The command's side: exit status 0 when the running copy offered the files, 1 otherwise; what it says goes to
// standard output or standard error.
int RunSendCommand(const QStringList& paths, const QString& to);

// The paths and the address from the command line, when it holds --send; nullopt when it does not.
struct SendRequest {
    QStringList paths;
    QString to;
    QString error; // what is wrong with the command line, empty when nothing
};
std::optional<SendRequest> ParseSendRequest(const QStringList& arguments);

} // namespace files
