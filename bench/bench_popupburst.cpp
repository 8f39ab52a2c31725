// A burst: 4 listed peers say 1,000 lines within about a second while Parley sits in the tray. Measures the longest
// event-loop stall and reports what the person sees at the end: one popup with the newest line and a flashing icon.
#include "BenchSupport.h"

#include "core/session/ChatSession.h"
#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "gui/notify/Message.h"
#include "gui/tray/TrayPresenter.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/Peer.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <memory>
#include <vector>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.warning=false"); // the offscreen platform complains of every raise()
    QApplication app(argc, argv);
    TestServices env;
    constexpr int Peers = 4, LinesEach = 250;
    QByteArray ini = "[Users]\r\nCount=" + QByteArray::number(Peers) + "\r\n";
    for (int p = 0; p < Peers; ++p)
        ini += "UserA" + QByteArray::number(p) + "=127.0.4." + QByteArray::number(p + 1) + "\r\n";
    WriteAll(env.file(QStringLiteral("Parley.ini")), ini);
    Parley parley(env.services);
    int shown = 0;
    QString last;
    QObject::connect(&parley.session().record(), &ChatRecord::added, [&](const ChatEntry& entry) {
        if (entry.kind != ChatEntry::Kind::Peer)
            return;
        ++shown;
        last = entry.text;
    });
    std::vector<std::unique_ptr<Peer>> peers;
    for (int p = 0; p < Peers; ++p) {
        peers.push_back(std::make_unique<Peer>(QStringLiteral("127.0.4.%1").arg(p + 1), env.services.listenPort));
        peers.back()->connectToProgram(env.services.listenPort);
        peers.back()->waitForIncoming();
    }
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    QTimer pace;
    pace.setInterval(4);
    QObject::connect(&pace, &QTimer::timeout, [&] {
        if (sent == Peers * LinesEach)
            return;
        const int p = sent % Peers;
        peers[p]->incoming()->write("line " + QByteArray::number(sent) + " from peer " + QByteArray::number(p));
        ++sent;
    });
    pace.start();
    const bool done = SpinUntil([&] { return shown >= Peers * LinesEach; }, 30000);
    const double seconds = clock.elapsed() / 1000.0;
    SpinUntil([] { return false; }, 50); // the popup shows the newest line within a screen refresh
    std::printf("popup burst: %d of %d lines shown in %.2f s%s; longest event-loop stall %.1f ms (goal 50); "
                "popup visible %s showing the newest line: %s; tray flashing: %s; sounds asked for: %d\n",
                shown, Peers * LinesEach, seconds, done ? "" : " (did not finish)", stalls.longestMs(),
                parley.message()->isVisible() ? "yes," : "no,",
                parley.message()->textArea()->toPlainText() == last ? "yes" : "no",
                parley.main()->tray().flashing() ? "yes" : "no", int(env.sound.played.size()));
    return done ? 0 : 1;
}
