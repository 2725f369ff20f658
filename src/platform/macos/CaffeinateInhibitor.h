#pragma once

#include "SleepInhibitor.h"

class ProcessRunner;

// Holds the display awake by keeping caffeinate -d running; the hold is lost when that exits.
class CaffeinateInhibitor : public SleepInhibitor {
public:
    explicit CaffeinateInhibitor(ProcessRunner& runner) : m_runner(runner) {}

    std::unique_ptr<SleepHold> hold() override;

private:
    ProcessRunner& m_runner;
};
