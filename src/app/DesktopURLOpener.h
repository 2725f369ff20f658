#pragma once

#include "URLOpener.h"

// Hands the address to the desktop, which opens it with the user's browser.
class DesktopURLOpener final : public URLOpener {
public:
    void open(const QUrl& url) override;
};
