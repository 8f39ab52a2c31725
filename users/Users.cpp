#include "users/Users.h"

#include "app/Main.h"
#include "common/Errors.h"

TF_Users::TF_Users(const Services& services, Windows& windows)
    : QDialog(windows.F_Main), m_services(services), m_windows(windows)
{
    m_windows.F_Users = this;
    setObjectName(QStringLiteral("F_Users"));
    setWindowTitle(QStringLiteral("Users"));
    setFixedSize(376, 255);
    Guard([this] { FormCreate(); });
}

void TF_Users::FormCreate() {}
