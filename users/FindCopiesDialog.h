#pragma once

#include "common/BackgroundTask.h"
#include "net/CopySearch.h"

#include <QDialog>

class ChatSession;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Find copies": tries the port on the addresses of this machine's own subnets and lists where a copy answers,
// with the name it announces; each can be added to the user list with its own button. Nothing is added by itself.
class FindCopiesDialog : public QDialog {
    Q_OBJECT
public:
    FindCopiesDialog(ChatSession& session, QWidget* parent);

    QTreeWidget* foundList() const { return m_found; }
    QLabel* status() const { return m_status; }
    bool searching() const { return m_search.running(); }
    void startSearch();

Q_SIGNALS:
    // A found copy went into the user list.
    void added();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showFound(const QList<net::FoundCopy>& copies, int tried);
    void addRow(const net::FoundCopy& copy);
    void add(const net::FoundCopy& copy, QPushButton* button);

    ChatSession& m_session;
    QLabel* m_status;
    QTreeWidget* m_found;
    QPushButton* m_againButton;
    BackgroundTask<QList<net::FoundCopy>> m_search{this};
};
