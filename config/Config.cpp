#include "config/Config.h"

#include "app/Main.h"
#include "common/Errors.h"

TF_Config::TF_Config(const Services& services, Windows& windows)
    : QDialog(windows.F_Main), m_services(services), m_windows(windows)
{
    m_windows.F_Config = this;
    setObjectName(QStringLiteral("F_Config"));
    setWindowTitle(QStringLiteral("Configuration"));
    setFixedSize(450, 480);
    Guard([this] { FormCreate(); });
}

void TF_Config::FormCreate() {}
