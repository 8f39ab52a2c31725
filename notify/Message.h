#pragma once

#include "platform/Services.h"

#include <QWidget>

// The small stay-on-top window that shows an arriving line.
class TF_Message : public QWidget {
    Q_OBJECT
public:
    explicit TF_Message(const Services& services);

    // Closes the popup.
    void Dismiss();

private:
    void FormCreate();

    const Services& m_services;
};
