#include "gui/tray/TrayImages.h"

#include <QPixmap>

#include <array>

namespace {
// clang-format off
// A speech bubble: the edge, the inside and the lines of text each take one colour of a palette.
const char* const Bubble[] = {
    "                ",
    "  ...........   ",
    " .+++++++++++.  ",
    ".+++++++++++++. ",
    ".++@@@@@@@@@++. ",
    ".+++++++++++++. ",
    ".++@@@@@@@@+++. ",
    ".+++++++++++++. ",
    ".++@@@@@@++++++.",
    ".+++++++++++++. ",
    " .+++++++++++.  ",
    "  ...++.......  ",
    "    .++.        ",
    "    .+.         ",
    "    ..          ",
    "                ",
};
// clang-format on

QIcon BubbleIn(const char* edge, const char* inside, const char* text)
{
    const QByteArray colours[] = {"  c None", QByteArray(". c ") + edge, QByteArray("+ c ") + inside,
                                  QByteArray("@ c ") + text};
    std::array<const char*, 5 + std::size(Bubble)> xpm{};
    xpm[0] = "16 16 4 1";
    for (int i = 0; i < 4; ++i)
        xpm[1 + i] = colours[i].constData();
    std::copy(std::begin(Bubble), std::end(Bubble), xpm.begin() + 5);
    return QIcon(QPixmap(xpm.data()));
}
} // namespace

// Blue at rest, amber while a line waits to be read.
QList<QIcon> TrayImageList()
{
    return {BubbleIn("#0B3D91", "#3F7FD9", "#FFFFFF"), BubbleIn("#8A4B00", "#FFB000", "#3A1F00")};
}
