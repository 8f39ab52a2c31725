#pragma once

#include "core/net/PrivateLinks.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace platform {
class MessageBoxes;
}

// One peer's private line: its state, the safety number both people read out to each other, the tick for having
// done so, and, after a changed key, the person's word that the new key is trusted.
class PrivateLineDialog : public QDialog {
    Q_OBJECT
public:
    PrivateLineDialog(platform::MessageBoxes& boxes, net::PrivateLinks& links, quint32 address, const QString& name,
                      QWidget* parent);

    QLabel* number() const { return m_number; }
    QCheckBox* verifiedBox() const { return m_verifiedBox; }
    QPushButton* trustButton() const { return m_trustButton; }

private:
    void showState();
    void onTrustClicked();

    platform::MessageBoxes& m_boxes;
    net::PrivateLinks& m_links;
    quint32 m_address;
    QLabel* m_state;
    QLabel* m_number;
    QCheckBox* m_verifiedBox;
    QPushButton* m_trustButton;
};
