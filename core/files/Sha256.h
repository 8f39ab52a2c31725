#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

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

private:
    struct Free {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, Free> m_context;
};

} // namespace files
