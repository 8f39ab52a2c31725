#pragma once

#include "app/Services.h"

#include <QDialog>

// The Configuration dialog: its controls are the program's preferences.
class TF_Config : public QDialog {
    Q_OBJECT
public:
    TF_Config(const Services& services, Windows& windows);

private:
    void FormCreate();

    const Services& m_services;
    Windows& m_windows;
};
