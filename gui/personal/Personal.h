#pragma once

#include "core/config/Settings.h"
#include "gui/widgets/MessageEdit.h"

#include <QDialog>

class ChatSession;

class QPlainTextEdit;

// The personal-message dialog: one text to one peer.
class TF_Personal : public QDialog {
    Q_OBJECT
public:
    TF_Personal(const Settings& settings, ChatSession& session, QWidget* parent);
    MessageEdit* messageBox() const { return m_messageBox; }
    QString text() const;
    // The caption names the peer the message goes to.
    void setRecipient(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MessageEdit* m_messageBox = nullptr;
    bool onMessageKey(int key);
    void finish();

    const Settings& m_settings;
    ChatSession& m_session;
    QString m_recipient;
};
