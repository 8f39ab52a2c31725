#pragma once

#include "core/base/BackgroundTask.h"
#include "core/net/CopySearch.h"
#include "gui/widgets/RepeatedRunDialog.h"

class ChatSession;
class QPushButton;
class QTimer;
class QTreeWidget;

// "Find copies": tries the port on the addresses of this machine's own subnets and lists where a copy answers,
// with the name it announces; each can be added to the user list with its own button. Nothing is added by itself.
class FindCopiesDialog : public RepeatedRunDialog {
    Q_OBJECT
public:
    FindCopiesDialog(ChatSession& session, QWidget* parent);

    QTreeWidget* foundList() const { return m_found; }
    bool running() const override { return m_search.running(); }
    // The search's result: the status at once, the rows a batch per turn of the event loop (a big office answers
    // with a thousand copies, each row with a button of its own).
    void showFound(const QList<net::FoundCopy>& copies, int tried);
    // Found copies still waiting for their rows.
    qsizetype rowsWaiting() const { return m_waitingRows.size() - m_nextRow; }

Q_SIGNALS:
    // A found copy went into the user list.
    void added();

protected:
    void start() override;
    void cancel() override { m_search.cancel(); }

private:
    void addRowsForAWhile();
    void addRow(const net::FoundCopy& copy);
    void add(const net::FoundCopy& copy, QPushButton* button);

    ChatSession& m_session;
    QTreeWidget* m_found;
    BackgroundTask<QList<net::FoundCopy>> m_search{this};
    QList<net::FoundCopy> m_waitingRows;
    qsizetype m_nextRow = 0;
    QTimer* m_nextRows;
};
