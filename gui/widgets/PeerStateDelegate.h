#pragma once

#include <QStyledItemDelegate>

// Draws each row of the user view with a mark for how its peer is linked to us (the model's LinkClassRole): a
// filled circle for both ways, a half circle for one way, a ring for a connection that is closing. The shapes
// differ as well as the colours, so the mark reads without colour too. A padlock beside it tells a private line
// (PrivacyRole).
class PeerStateDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
