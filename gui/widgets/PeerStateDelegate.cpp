#include "gui/widgets/PeerStateDelegate.h"

#include "core/net/ConnectionManager.h"
#include "core/session/UserViewModel.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {
using Privacy = net::PrivateLinks::State;

// A padlock right of the circle: closed and green for a private line, an outline for a pinned peer whose private
// line is down, red and struck through for a changed key.
void DrawLock(QPainter& painter, Privacy privacy)
{
    if (privacy == Privacy::Plain)
        return;
    const QRectF body(14.5, 5.5, 8, 6);
    const QRectF shackle(16, 1.5, 5, 7);
    const QColor ink = privacy == Privacy::Private      ? QColor(0, 110, 0)
                       : privacy == Privacy::KeyChanged ? QColor(190, 0, 0)
                                                        : QColor(110, 110, 110);
    painter.setPen(QPen(ink, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(shackle, 0, 180 * 16);
    painter.drawLine(shackle.topLeft() + QPointF(0, 3.5), QPointF(shackle.left(), body.top()));
    painter.drawLine(shackle.topRight() + QPointF(0, 3.5), QPointF(shackle.right(), body.top()));
    painter.setBrush(privacy == Privacy::Trying ? QBrush(Qt::NoBrush) : QBrush(ink));
    painter.drawRect(body);
    if (privacy == Privacy::KeyChanged) {
        painter.setPen(QPen(QColor(190, 0, 0), 1.5));
        painter.drawLine(QPointF(13, 11.5), QPointF(23.5, 0.5));
    }
}

QIcon MarkIcon(net::LinkClass link, Privacy privacy)
{
    constexpr int Size = 12;
    QPixmap pixmap(privacy == Privacy::Plain ? Size : 2 * Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(1.5, 1.5, Size - 3, Size - 3);
    switch (link) {
    case net::LinkClass::BothWays:
        painter.setPen(QPen(QColor(0, 110, 0), 1.2));
        painter.setBrush(QColor(40, 170, 40));
        painter.drawEllipse(circle);
        break;
    case net::LinkClass::OneWay:
        painter.setPen(QPen(QColor(150, 90, 0), 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle);
        painter.setBrush(QColor(230, 150, 20));
        painter.drawPie(circle, 90 * 16, 180 * 16); // the left half: they reach us
        break;
    case net::LinkClass::Closing:
        painter.setPen(QPen(QColor(128, 128, 128), 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle);
        break;
    }
    DrawLock(painter, privacy);
    return QIcon(pixmap);
}

const QIcon& IconFor(net::LinkClass link, Privacy privacy)
{
    static QHash<int, QIcon> icons;
    const int key = int(link) * 8 + int(privacy);
    auto found = icons.find(key);
    if (found == icons.end())
        found = icons.insert(key, MarkIcon(link, privacy));
    return *found;
}
} // namespace

void PeerStateDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant link = index.data(UserViewModel::LinkClassRole);
    if (!link.isValid())
        return;
    option->features |= QStyleOptionViewItem::HasDecoration;
    const auto privacy = Privacy(index.data(UserViewModel::PrivacyRole).toInt());
    option->icon = IconFor(net::LinkClass(link.toInt()), privacy);
    option->decorationSize = privacy == Privacy::Plain ? QSize(12, 12) : QSize(24, 12);
}
