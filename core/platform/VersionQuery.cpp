#include "core/platform/VersionQuery.h"

namespace platform {

WindowsVersion LinuxVersionQuery::query() const
{
    return WindowsVersion{5, 1, 2600, 2, QString()};
}

} // namespace platform
