#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

struct evp_md_ctx_st;

namespace files {

// SHA-256 through OpenSSL, which uses the processor's SHA instructions: Qt's own runs at a fraction of a disk's or a
// network's speed, and a file is hashed on both ends.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void reset();
    void addData(QByteArrayView bytes);
    // The hash of what was added since the last reset; adding goes on from there.
    QByteArray result() const;
    // Where another one stands: adding goes on from there.
    void copyFrom(const Sha256& other);

private:
    struct Free {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, Free> m_context;
};

// The calling thread yields to the chat's when both want a core: a transfer may take what the chat leaves, never the
// chat's turn (Linux keeps a nice value for each thread).
void YieldToTheChat();

// SHA-256 on a thread of its own, for the sending side: its thread reads and encrypts meanwhile, and the hash costs
// it nothing but the wait for the last chunk at a file's end. Chunks are shared, never copied, and must not change.
class HashBehind {
public:
    HashBehind();
    ~HashBehind();
    HashBehind(const HashBehind&) = delete;
    HashBehind& operator=(const HashBehind&) = delete;

    // Starts again from where this hash stands (nothing added yet, or a file's first bytes).
    void restartFrom(const Sha256& state);
    // The bytes [offset, offset + length) of chunk.
    void add(const QByteArray& chunk, qsizetype offset, qsizetype length);
    // Waits for what was added, then its hash.
    QByteArray result();

private:
    struct Piece {
        QByteArray chunk;
        qsizetype offset;
        qsizetype length;
    };
    void run();
    // Waits until every piece added so far has been hashed.
    void drain(std::unique_lock<std::mutex>& lock);

    Sha256 m_hash;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Piece> m_pieces;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace files
