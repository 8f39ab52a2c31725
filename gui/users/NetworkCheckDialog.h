#pragma once

#include "core/base/BackgroundTask.h"
#include "gui/widgets/RepeatedRunDialog.h"

class ChatSession;
class QTextEdit;

// "Check the network": whether this copy listens, the machine's addresses, the firewall and each listed peer, in
// plain words.
class NetworkCheckDialog : public RepeatedRunDialog {
    Q_OBJECT
public:
    NetworkCheckDialog(ChatSession& session, QWidget* parent);

    QTextEdit* report() const { return m_report; }
    bool running() const override { return m_check.running(); }

protected:
    void start() override;
    void cancel() override { m_check.cancel(); }
    void showEvent(QShowEvent* event) override;

private:
    ChatSession& m_session;
    QTextEdit* m_report;
    BackgroundTask<QString> m_check{this};
};
