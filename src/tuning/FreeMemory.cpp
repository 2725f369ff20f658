#include "FreeMemory.h"

#include "HostStatistics.h"

#include <algorithm>
#include <cmath>

FreeMemory::FreeMemory(HostStatistics& host) : m_host(host) {}

std::optional<double> FreeMemory::gigabytes() const
{
    const auto memory = m_host.virtualMemory();
    if (!memory)
        return std::nullopt;
    const double pageSize = double(m_host.pageSize());
    const double bytes = double(memory->freeCount) * pageSize + double(memory->inactiveCount) * pageSize
                         + double(memory->speculativeCount) * pageSize;
    return std::ldexp(bytes, -30);
}

double FreeMemory::growth(std::optional<double> before, std::optional<double> after)
{
    if (!before || !after)
        return 0.0;
    return std::max(*after - *before, 0.0);
}
