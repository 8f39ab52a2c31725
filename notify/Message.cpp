#include "notify/Message.h"

#include "common/Errors.h"

TF_Message::TF_Message(const Services& services)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_services(services)
{
    setObjectName(QStringLiteral("F_Message"));
    setWindowTitle(QStringLiteral("Parley"));
    Guard([this] { FormCreate(); });
}

void TF_Message::FormCreate() {}

void TF_Message::Dismiss()
{
    hide();
}
