#pragma once

#include <QObject>

class ChatLog;
class ChatView;
class SessionStore;

// The chat text in the chat area and in chat.txt together. The text of earlier sessions: the session store reads
// chat.txt; a long one is read on a thread of its own, so that the program answers its peers and the person at once,
// whatever its size, and its lines go above what came since once the read is done. What enters the area afterwards
// enters the file with it, in the bytes the area keeps.
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
    // This session's separator line ("-- date ----"), then each line as it comes.
    void startSession();
    void append(const QString& text);
    // Emptied, the file too; a read under way is finished first.
    void clear();
    // Every line of the chat area, the whole history included.
    const ChatLog& log();

private:
    SessionStore& m_store;
    ChatView& m_chatArea;
};
