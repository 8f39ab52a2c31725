#pragma once

#include "core/chat/ChatSearch.h"

#include <QWidget>

class ChatView;
class QLabel;
class QLineEdit;
class QTimer;
class QToolButton;

// The bar under the chat area that finds text in the whole history as the person types, without case: every match
// in view is marked, the current one is brought into view, and the bar counts them ("12 of 340"). The search runs a
// slice at a time between the program's other work, so a log of years never holds it up.
class FindBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 24;

    FindBar(ChatView& chatArea, QWidget* parent);

    QLineEdit* findBox() const { return m_findBox; }
    QLabel* countLabel() const { return m_countLabel; }
    const ChatSearch& search() const { return m_search; }
    // The current match, an index into the search's kept matches, or -1.
    qsizetype current() const { return m_current; }
    bool searching() const;

    // Shows the bar with the keyboard in its box, the text there selected.
    void open();
    void findNext();
    void findPrevious();
    // Hides the bar and its marks.
    void close();

Q_SIGNALS:
    void opened();
    // Esc or the close button: the keyboard goes back to the message box.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startSearch();
    void searchSome();
    void moveBy(int step);
    void showState();

    ChatView& m_chatArea;
    ChatSearch m_search;
    qsizetype m_current = -1;
    QTimer* m_stepTimer;
    QLineEdit* m_findBox;
    QLabel* m_countLabel;
    QToolButton* m_previousButton;
    QToolButton* m_nextButton;
    QToolButton* m_closeButton;
};
