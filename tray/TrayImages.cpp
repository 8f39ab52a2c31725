#include "tray/TrayImages.h"

#include <QPixmap>

namespace {
// clang-format off
// A speech bubble: blue at rest, amber while a line waits to be read.
const char* const NormalImage[] = {
    "16 16 4 1",
    "  c None",
    ". c #0B3D91",
    "+ c #3F7FD9",
    "@ c #FFFFFF",
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

const char* const FlashImage[] = {
    "16 16 4 1",
    "  c None",
    ". c #8A4B00",
    "+ c #FFB000",
    "@ c #3A1F00",
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
} // namespace

QList<QIcon> TrayImageList()
{
    return {QIcon(QPixmap(NormalImage)), QIcon(QPixmap(FlashImage))};
}
