#include "core/files/Sha256.h"

#include "core/platform/LibCrypto.h"

#include <QtGlobal>

#include <sys/resource.h>
#include <unistd.h>

namespace files {

namespace {

const platform::LibCrypto& Crypto()
{
    // Files go over private lines alone, and those start only once the key was read through the same library.
    const platform::LibCrypto* crypto = platform::LoadLibCrypto();
    if (!crypto)
        qFatal("Parley: libcrypto.so.3 cannot be loaded");
    return *crypto;
}

} // namespace

void Sha256::Free::operator()(evp_md_ctx_st* context) const
{
    Crypto().EVP_MD_CTX_free(context);
}

Sha256::Sha256() : m_context(Crypto().EVP_MD_CTX_new())
{
    reset();
}

Sha256::~Sha256() = default;

void Sha256::reset()
{
    Crypto().EVP_DigestInit_ex(m_context.get(), Crypto().EVP_sha256(), nullptr);
}

void Sha256::addData(QByteArrayView bytes)
{
    Crypto().EVP_DigestUpdate(m_context.get(), bytes.data(), size_t(bytes.size()));
}

QByteArray Sha256::result() const
{
    // The state is copied so that what was added so far stays for more.
    std::unique_ptr<evp_md_ctx_st, Free> copy(Crypto().EVP_MD_CTX_new());
    Crypto().EVP_MD_CTX_copy_ex(copy.get(), m_context.get());
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int size = 0;
    Crypto().EVP_DigestFinal_ex(copy.get(), reinterpret_cast<unsigned char*>(digest.data()), &size);
    digest.resize(size);
    return digest;
}

void YieldToTheChat()
{
    constexpr int Nice = 10;
    ::setpriority(PRIO_PROCESS, id_t(::gettid()), Nice);
}

void Sha256::copyFrom(const Sha256& other)
{
    Crypto().EVP_MD_CTX_copy_ex(m_context.get(), other.m_context.get());
}

HashBehind::HashBehind() : m_thread([this] { run(); }) {}

HashBehind::~HashBehind()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void HashBehind::drain(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [this] { return m_pieces.empty() && !m_busy; });
}

void HashBehind::restartFrom(const Sha256& state)
{
    std::unique_lock lock(m_mutex);
    drain(lock);
    m_hash.copyFrom(state);
}

void HashBehind::add(const QByteArray& chunk, qsizetype offset, qsizetype length)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pieces.push_back({chunk, offset, length});
    }
    m_changed.notify_all();
}

QByteArray HashBehind::result()
{
    std::unique_lock lock(m_mutex);
    drain(lock);
    return m_hash.result();
}

void HashBehind::run()
{
    YieldToTheChat();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_pieces.empty(); });
        if (m_pieces.empty())
            return;
        const Piece piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        m_busy = true;
        lock.unlock();
        m_hash.addData(QByteArrayView(piece.chunk.constData() + piece.offset, piece.length));
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

} // namespace files
