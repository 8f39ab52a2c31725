#pragma once

#include "common/BackgroundTask.h"

#include <QDialog>

class ChatSession;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Check the network": whether this copy listens, the machine's addresses, the firewall and each listed peer, in
// plain words. The checks run on a thread of their own each time the dialog is shown or "Check again" is pressed.
class NetworkCheckDialog : public QDialog {
    Q_OBJECT
public:
    NetworkCheckDialog(ChatSession& session, QWidget* parent);

    QPlainTextEdit* report() const { return m_report; }
    QLabel* status() const { return m_status; }
    bool checking() const { return m_check.running(); }
    void startCheck();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ChatSession& m_session;
    QPlainTextEdit* m_report;
    QLabel* m_status;
    QPushButton* m_againButton;
    BackgroundTask<QString> m_check{this};
};
