#include "net/Personal.h"

#include "app/Main.h"
#include "common/Errors.h"

TF_Personal::TF_Personal(const Services& services, Windows& windows)
    : QDialog(windows.F_Main), m_services(services), m_windows(windows)
{
    m_windows.F_Personal = this;
    setObjectName(QStringLiteral("F_Personal"));
    setWindowTitle(QStringLiteral("Send personal message..."));
    setFixedSize(409, 75);
    Guard([this] { FormCreate(); });
}

void TF_Personal::FormCreate() {}
