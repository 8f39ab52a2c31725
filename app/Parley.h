#pragma once

#include "app/Services.h"

#include <QObject>

#include <memory>

namespace platform {
class SignalWatcher;
}

// The running program: the five windows, created once each in their fixed order, and the general error handler.
class Parley : public QObject {
    Q_OBJECT
public:
    explicit Parley(const Services& services);
    ~Parley() override;

    Windows windows;
    bool TerminationRequested() const;

Q_SIGNALS:
    void finished();

private:
    const Services& m_services;
    std::unique_ptr<TF_Main> m_main;
    std::unique_ptr<TF_Config> m_config;
    std::unique_ptr<TF_Message> m_message;
    std::unique_ptr<TF_Users> m_users;
    std::unique_ptr<TF_Personal> m_personal;
    platform::SignalWatcher* m_signals = nullptr;
};
