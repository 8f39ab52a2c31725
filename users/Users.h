#pragma once

#include "app/Services.h"

#include <QDialog>

// The Users dialog: the list of peers that may talk to this copy.
class TF_Users : public QDialog {
    Q_OBJECT
public:
    TF_Users(const Services& services, Windows& windows);

private:
    void FormCreate();

    const Services& m_services;
    Windows& m_windows;
};
