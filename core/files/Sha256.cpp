#include "core/files/Sha256.h"

#include <openssl/evp.h>

namespace files {

void Sha256::Free::operator()(evp_md_ctx_st* context) const
{
    EVP_MD_CTX_free(context);
}

Sha256::Sha256() : m_context(EVP_MD_CTX_new())
{
    reset();
}

Sha256::~Sha256() = default;

void Sha256::reset()
{
    EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr);
}

void Sha256::addData(QByteArrayView bytes)
{
    EVP_DigestUpdate(m_context.get(), bytes.data(), size_t(bytes.size()));
}

QByteArray Sha256::result() const
{
    // The state is copied so that what was added so far stays for more.
    std::unique_ptr<evp_md_ctx_st, Free> copy(EVP_MD_CTX_new());
    EVP_MD_CTX_copy_ex(copy.get(), m_context.get());
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int size = 0;
    EVP_DigestFinal_ex(copy.get(), reinterpret_cast<unsigned char*>(digest.data()), &size);
    digest.resize(size);
    return digest;
}

} // namespace files
