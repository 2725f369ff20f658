#pragma once

#include "DnsCacheFlusher.h"

class ProcessRunner;

// Runs dscacheutil -flushcache.
class DscacheutilFlusher : public DnsCacheFlusher {
public:
    explicit DscacheutilFlusher(ProcessRunner& runner) : m_runner(runner) {}

    bool flush() override;

private:
    ProcessRunner& m_runner;
};
