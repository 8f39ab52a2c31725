#include "gui/widgets/PeerStateDelegate.h"

#include "core/net/ConnectionManager.h"
#include "core/session/UserViewModel.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace {
QIcon MarkIcon(net::LinkClass link)
{
    constexpr int Size = 12;
    QPixmap pixmap(Size, Size);
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
    return QIcon(pixmap);
}

const QIcon& IconFor(net::LinkClass link)
{
    static const std::array<QIcon, 3> icons = {MarkIcon(net::LinkClass::BothWays), MarkIcon(net::LinkClass::OneWay),
                                               MarkIcon(net::LinkClass::Closing)};
    return icons[size_t(link)];
}
} // namespace

void PeerStateDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant link = index.data(UserViewModel::LinkClassRole);
    if (!link.isValid())
        return;
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->icon = IconFor(net::LinkClass(link.toInt()));
    option->decorationSize = QSize(12, 12);
}
