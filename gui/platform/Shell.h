#pragma once

#include <QUrl>

namespace platform {

// Opens an address with the desktop's default handler (the browser for a web site).
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const QUrl& url) = 0;
};

class DesktopShell final : public Shell {
public:
    void open(const QUrl& url) override;
};

} // namespace platform
