#pragma once

#include "app/Services.h"

#include <QDialog>

// The personal-message dialog: one line to one peer.
class TF_Personal : public QDialog {
    Q_OBJECT
public:
    TF_Personal(const Services& services, Windows& windows);

private:
    void FormCreate();

    const Services& m_services;
    Windows& m_windows;
};
