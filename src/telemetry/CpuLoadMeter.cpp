#include "CpuLoadMeter.h"

#include <algorithm>

double CpuLoadMeter::update(const QList<ProcessorTicks>& ticks)
{
    double sum = 0;
    for (qsizetype i = 0; m_previous && i < ticks.size() && i < m_previous->size(); ++i) {
        const ProcessorTicks& now = ticks[i];
        const ProcessorTicks& before = (*m_previous)[i];
        if (now.user < before.user || now.system < before.system || now.nice < before.nice || now.idle < before.idle)
            continue;
        // Each difference is of counters that did not go down; doubles keep the sums from wrapping.
        const double busy = double(now.user - before.user) + double(now.system - before.system) +
                            double(now.nice - before.nice);
        const double total = busy + double(now.idle - before.idle);
        if (total > 0)
            sum += busy / total * 100.0;
    }
    m_previous = ticks;
    if (sum <= 0 || ticks.isEmpty())
        return 0;
    return std::min(sum / double(ticks.size()), 100.0);
}
