#pragma once

#include "core/base/Gen_func.h"

namespace platform {

// The operating system's version, in the terms the program's feature checks use.
class VersionQuery {
public:
    virtual ~VersionQuery() = default;
    virtual WindowsVersion query() const = 0;
    int code() const { return WindowsVersionCode(query()); }
};

// Linux offers window opacity and shaped windows, so it reports itself as the system that has them (NT 5.1).
class LinuxVersionQuery final : public VersionQuery {
public:
    WindowsVersion query() const override;
};

} // namespace platform
