#pragma once

#include "HostStatistics.h"

#include <QList>
#include <optional>

// The mean busy share of all logical processors between two readings of their tick counters.
// Not thread-safe: an owner shared between threads guards it.
class CpuLoadMeter {
public:
    // Percent, 0 to 100, since the previous reading, which these ticks then replace. A processor
    // with no previous entry (the first reading, or one that came online) or whose counters did not
    // move adds nothing but still counts in the divisor. A processor with any counter below its
    // previous value (it was reset or replaced) counts as idle, and these ticks become its baseline.
    double update(const QList<ProcessorTicks>& ticks);

private:
    std::optional<QList<ProcessorTicks>> m_previous;
};
