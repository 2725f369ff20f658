#pragma once

#include "SleepInhibitor.h"

class ProcessRunner;

// Holds the display awake by keeping caffeinate -d running; the hold is lost when that exits.
class CaffeinateInhibitor : public SleepInhibitor {
public:
    explicit CaffeinateInhibitor(ProcessRunner& runner) : m_runner(runner) {}

    // Answers at once: the child starts or it does not.
    void hold(QObject* context, Taken taken) override;

private:
    ProcessRunner& m_runner;
};
