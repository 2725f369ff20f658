#pragma once

#include "MemoryPurger.h"

// Writes the kernel's buffers out, then asks it to drop its clean page cache ("1" into
// vm/drop_caches). Only an administrator may; anyone else is refused at once, never prompted.
class DropCachesPurger : public MemoryPurger {
public:
    // procRoot is normally "/proc".
    explicit DropCachesPurger(QString procRoot) : m_procRoot(std::move(procRoot)) {}

    Outcome purge() override;

private:
    QString m_procRoot;
};
