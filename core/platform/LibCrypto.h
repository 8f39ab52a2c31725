#pragma once

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace platform {

// Every OpenSSL function Parley calls itself, by its own name.
#define PARLEY_LIBCRYPTO_FUNCTIONS(F)                                                                                  \
    F(ASN1_INTEGER_set)                                                                                                \
    F(BIO_ctrl)                                                                                                        \
    F(BIO_free)                                                                                                        \
    F(BIO_new)                                                                                                         \
    F(BIO_new_mem_buf)                                                                                                 \
    F(BIO_s_mem)                                                                                                       \
    F(EVP_DigestFinal_ex)                                                                                              \
    F(EVP_DigestInit_ex)                                                                                               \
    F(EVP_DigestUpdate)                                                                                                \
    F(EVP_MD_CTX_copy_ex)                                                                                              \
    F(EVP_MD_CTX_free)                                                                                                 \
    F(EVP_MD_CTX_new)                                                                                                  \
    F(EVP_PKEY_Q_keygen)                                                                                               \
    F(EVP_PKEY_free)                                                                                                   \
    F(EVP_sha256)                                                                                                      \
    F(PEM_read_bio_PrivateKey)                                                                                         \
    F(PEM_read_bio_X509)                                                                                               \
    F(PEM_write_bio_PrivateKey)                                                                                        \
    F(PEM_write_bio_X509)                                                                                              \
    F(X509_NAME_add_entry_by_txt)                                                                                      \
    F(X509_check_private_key)                                                                                          \
    F(X509_free)                                                                                                       \
    F(X509_get_serialNumber)                                                                                           \
    F(X509_get_subject_name)                                                                                           \
    F(X509_getm_notAfter)                                                                                              \
    F(X509_getm_notBefore)                                                                                             \
    F(X509_gmtime_adj)                                                                                                 \
    F(X509_new)                                                                                                        \
    F(X509_set_issuer_name)                                                                                            \
    F(X509_set_pubkey)                                                                                                 \
    F(X509_set_version)                                                                                                \
    F(X509_sign)                                                                                                       \
    F(X509_time_adj_ex)

// OpenSSL's libcrypto, loaded when first needed rather than linked: most sessions never open a private line, and a
// linked libcrypto is mapped and relocated in every copy (1.4 MiB each). Qt's TLS loads the same library once a
// private line starts.
struct LibCrypto {
#define PARLEY_LIBCRYPTO_POINTER(name) decltype(&::name) name = nullptr;
    PARLEY_LIBCRYPTO_FUNCTIONS(PARLEY_LIBCRYPTO_POINTER)
#undef PARLEY_LIBCRYPTO_POINTER
};

// The library, loaded by the first caller on any thread; null where the system has no libcrypto.so.3 with every
// function above.
const LibCrypto* LoadLibCrypto();

} // namespace platform
