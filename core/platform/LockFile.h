#pragma once

#include <QString>

namespace platform {

// The folder where the single-instance lock lives: /run/lock where it can be written, else /tmp.
QString SystemFolder();

// The single-instance lock: a file held with an exclusive flock for the life of the program. A file left by a
// crashed copy locks nothing, since the kernel drops the lock with the process.
class LockFile {
public:
    enum class Result { Locked, HeldElsewhere, CannotCreate };

    LockFile() = default;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    ~LockFile();

    Result acquire(const QString& path);
    void release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace platform
