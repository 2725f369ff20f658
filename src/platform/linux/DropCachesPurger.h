#pragma once

#include "MemoryPurger.h"

#include <functional>
#include <unistd.h>

// Writes the kernel's buffers out, then asks it to drop its clean page cache ("1" into
// vm/drop_caches). Only an administrator may; anyone else is refused at once, never prompted, and
// the system-wide write-out is only started once the setting is open for writing.
class DropCachesPurger : public MemoryPurger {
public:
    // procRoot is normally "/proc"; flush writes the dirty pages out.
    explicit DropCachesPurger(QString procRoot, std::function<void()> flush = ::sync)
        : m_procRoot(std::move(procRoot)), m_flush(std::move(flush))
    {
    }

    Outcome purge() override;

private:
    QString m_procRoot;
    std::function<void()> m_flush;
};
