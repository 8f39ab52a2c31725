#pragma once

#include <QRect>
#include <QSize>

// The main window's outer size differs from its client size by the classic frame, so that the stored Width
// and Height mean the same here as in copies elsewhere.
inline constexpr QSize FrameExtra(8, 34);
inline constexpr QSize DesignOuterSize(545, 377);
inline constexpr QSize MinimumOuterSize(435, 175);

struct MainLayout {
    QRect mess;
    QRect memo;
    QRect users;
    QRect panel;
};

// Where the resizable controls go for a client area of the given size; the top row never moves.
constexpr MainLayout ComputeMainLayout(QSize client)
{
    const int w = client.width();
    const int h = client.height();
    return MainLayout{
        QRect(0, h - 75, w - 128, 75),
        QRect(0, 28, w - 128, h - 102),
        QRect(w - 128, 28, 128, h - 102),
        QRect(w - 127, h - 71, 125, 72),
    };
}
