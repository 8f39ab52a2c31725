#pragma once

#include <QIcon>
#include <QList>

// The two 16 x 16 tray images: 0 the normal icon, 1 the flash phase.
QList<QIcon> TrayImageList();
