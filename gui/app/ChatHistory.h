#pragma once

#include <QObject>

class ChatLog;
class ChatView;
class SessionStore;

// The chat text of earlier sessions in the chat area. The session store reads chat.txt; a long one is read on a
// thread of its own, so that the program answers its peers and the person at once, whatever its size, and its lines
// go above what came since once the read is done.
class ChatHistory : public QObject {
    Q_OBJECT
public:
    ChatHistory(SessionStore& store, ChatView& chatArea, QObject* parent);
    // Waits for a read under way: its thread calls back into this object when it is done.
    ~ChatHistory() override;

    void restore();
    // Waits for a read in the background and puts its lines in; a read that failed keeps the file on disk as it is
    // and throws, for the caller's guard to tell the person (or standard error when the session ends).
    void finish();
    bool loading() const;
    // Every line of the chat area, the whole history included.
    const ChatLog& log();

private:
    SessionStore& m_store;
    ChatView& m_chatArea;
};
