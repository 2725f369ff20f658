#pragma once

#include "MemoryPurger.h"

class ProcessRunner;

// Runs the purge tool; a refusal shows as its non-zero exit status.
class PurgeTool : public MemoryPurger {
public:
    explicit PurgeTool(ProcessRunner& runner) : m_runner(runner) {}

    Outcome purge() override;

private:
    ProcessRunner& m_runner;
};
