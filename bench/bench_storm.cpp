// A storm: 512 peers connect and announce at once. Measures the time until the user view shows all 512 names,
// against the time the same connects and sends take with a bare accepting server, and the longest stall of the
// event loop meanwhile.
#include "BenchSupport.h"
#include "app/Main.h"
#include "app/Parley.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"

#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr int Peers = 512;

QByteArray UserSection()
{
    QByteArray ini = "[Startup]\r\nAutoRun=0\r\n[Users]\r\nCount=" + QByteArray::number(Peers) + "\r\n";
    for (int n = 0; n < Peers; ++n) {
        const quint32 a = quint32((127u << 24) | (1u << 8) | 1u) + quint32(n);
        ini += "UserA" + QByteArray::number(n) + "=" + QHostAddress(a).toString().toLatin1() + "\r\n";
    }
    return ini;
}

bool StartPeers(QProcess& peers, quint16 port, bool announceOnConnect)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ANNOUNCE_ON_CONNECT"), announceOnConnect ? QStringLiteral("1") : QStringLiteral("0"));
    peers.setProcessEnvironment(env);
    peers.start(QCoreApplication::applicationDirPath() + QStringLiteral("/storm_peers"),
                {QString::number(port), QString::number(Peers)});
    return peers.waitForReadyRead(30000);
}

double BaselineMs()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    int names = 0;
    QList<QTcpSocket*> accepted;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            accepted.append(s);
            QObject::connect(s, &QTcpSocket::readyRead, [s, &names] {
                if (s->readAll().startsWith('\x1B'))
                    ++names;
            });
        }
    });
    QProcess peers;
    if (!StartPeers(peers, server.serverPort(), true))
        return -1;
    QElapsedTimer clock;
    clock.start();
    peers.write("g");
    const bool done = SpinUntil([&] { return names == Peers; });
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    peers.closeWriteChannel();
    peers.waitForFinished();
    return done ? ms : -1;
}

bool AllNamed(QListWidget* view)
{
    if (view->count() != Peers)
        return false;
    for (int r = 0; r < view->count(); ++r) {
        if (!view->item(r)->text().startsWith(QLatin1String("peer")))
            return false;
    }
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    RaiseFileLimit();
    QApplication app(argc, argv);
    const double baseline = BaselineMs();

    TestServices env;
    if (!WriteAll(env.file(QStringLiteral("Parley.ini")), UserSection()))
        return 1;
    Parley parley(env.services);
    TF_Main* main = parley.main();
    QProcess peers;
    if (!StartPeers(peers, env.services.listenPort, false))
        return 1;
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    main->Button3Click();
    peers.write("g");
    const bool done = SpinUntil([&] { return AllNamed(main->Users); });
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    peers.closeWriteChannel();
    peers.waitForFinished();
    if (!done || baseline <= 0) {
        std::printf("storm: did not finish (rows %d)\n", int(main->Users->count()));
        return 1;
    }
    std::printf("storm: %d peers connected and named in %.1f ms; bare server %.1f ms; ratio %.2f; "
                "longest event-loop stall %.1f ms\n",
                Peers, ms, baseline, ms / baseline, stalls.longestMs());
    return 0;
}
