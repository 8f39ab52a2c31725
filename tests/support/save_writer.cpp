// Usage: save_writer FOLDER. Saves the two versions of Parley.ini and chat.txt in FOLDER in turn, forever, the way
// the program saves them, and prints "saving" once it has begun: a test kills it at arbitrary moments.
#include "core/platform/SaveFile.h"
#include "tests/support/SaveVersions.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString ini = folder + QStringLiteral("/Parley.ini");
    const QString chat = folder + QStringLiteral("/chat.txt");
    const platform::ProfileFile versions[2] = {SettingsVersion(0, ini), SettingsVersion(1, ini)};
    const QByteArray chats[2] = {ChatVersion(0), ChatVersion(1)};
    std::puts("saving");
    std::fflush(stdout);
    for (int round = 0;; ++round) {
        versions[round % 2].save();
        if (!platform::SaveFileAtomically(chat, chats[round % 2]).isEmpty())
            return 1;
    }
}
