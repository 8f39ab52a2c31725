// Usage: play_sound FILE|--beep. Asks the desktop's sound service for the sound, asks again 150 ms later while the
// first still plays, and ends once the sound has surely ended: a context destroyed mid-sound takes back what the
// sound server had not yet handed to the recording, which then hears nothing at all.
#include "gui/platform/Sound.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    platform::CanberraSound sound;
    const QString what = QString::fromLocal8Bit(argv[1]);
    const auto play = [&] {
        if (what == QLatin1String("--beep"))
            sound.beep();
        else
            sound.playFile(what, {});
    };
    play();
    QTimer::singleShot(150, &app, play);
    QTimer::singleShot(3500, &app, &QCoreApplication::quit);
    return app.exec();
}
