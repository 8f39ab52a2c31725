#pragma once

#include "platform/Services.h"

#include "config/Settings.h"

#include <QDialog>

class ChatSession;

class QPlainTextEdit;

// The personal-message dialog: one text to one peer.
class TF_Personal : public QDialog {
    Q_OBJECT
public:
    TF_Personal(const Services& services, const Settings& settings, ChatSession& session, QWidget* parent);

    QPlainTextEdit* Mess = nullptr;
    QString Text() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool MessKeyPress(int key);
    void Finish();

    const Services& m_services;
    const Settings& m_settings;
    ChatSession& m_session;
};
