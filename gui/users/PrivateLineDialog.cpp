#include "gui/users/PrivateLineDialog.h"

#include "core/base/Errors.h"
#include "core/session/PeerStateText.h"
#include "gui/platform/MessageBoxes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHostAddress>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PrivateLineDialog::PrivateLineDialog(platform::MessageBoxes& boxes, net::PrivateLinks& links, quint32 address,
                                     const QString& name, QWidget* parent)
    : QDialog(parent), m_boxes(boxes), m_links(links), m_address(address), m_state(new QLabel(this)),
      m_number(new QLabel(this)), m_verifiedBox(new QCheckBox(tr("Verified: we read out the same number"), this)),
      m_trustButton(new QPushButton(tr("Trust the new key"), this))
{
    setObjectName(QStringLiteral("F_PrivateLine"));
    setWindowTitle(tr("Private line with %1 (%2)").arg(name, QHostAddress(address).toString()));
    auto* how = new QLabel(tr("Read this number out to %1, by phone or face to face; their Parley shows the same one "
                              "for you. If it differs, somebody else answers at that address.")
                               .arg(name),
                           this);
    how->setWordWrap(true);
    m_state->setWordWrap(true);
    QFont numberFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    numberFont.setPointSizeF(numberFont.pointSizeF() * 1.3);
    m_number->setFont(numberFont);
    m_number->setObjectName(QStringLiteral("SafetyNumber"));
    m_number->setAccessibleName(tr("Safety number"));
    m_number->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_number->setWordWrap(true);
    m_verifiedBox->setObjectName(QStringLiteral("Verified"));
    m_trustButton->setObjectName(QStringLiteral("TrustNewKey"));
    m_trustButton->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* part :
         {static_cast<QWidget*>(m_state), static_cast<QWidget*>(how), static_cast<QWidget*>(m_number),
          static_cast<QWidget*>(m_verifiedBox), static_cast<QWidget*>(m_trustButton), static_cast<QWidget*>(buttons)})
        layout->addWidget(part);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_verifiedBox, &QCheckBox::toggled, this,
            Guarded([this](bool verified) { m_links.SetVerified(m_address, verified); }));
    connect(m_trustButton, &QPushButton::clicked, this, Guarded([this] { onTrustClicked(); }));
    setMinimumWidth(420);
    showState();
}

void PrivateLineDialog::showState()
{
    const net::PrivateLinks::State state = m_links.StateOf(m_address);
    m_state->setText(PrivacyText(state).isEmpty() ? tr("No private line now: lines go in clear on port 196.")
                                                  : PrivacyText(state));
    m_number->setText(m_links.SafetyNumberOf(m_address));
    const bool changed = state == net::PrivateLinks::State::KeyChanged;
    {
        const QSignalBlocker quiet(m_verifiedBox);
        m_verifiedBox->setChecked(m_links.Verified(m_address));
    }
    m_verifiedBox->setEnabled(!changed && !m_number->text().isEmpty());
    m_trustButton->setVisible(changed);
}

void PrivateLineDialog::onTrustClicked()
{
    if (!m_boxes.askYesNo(this,
                          tr("Trust the new key only after you have read out the new number with this person. "
                             "Trust it?"),
                          tr("Trust the new key"), platform::BoxIcon::Warning))
        return;
    m_links.TrustNewKey(m_address);
    showState();
}
