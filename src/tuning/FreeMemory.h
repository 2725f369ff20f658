#pragma once

#include <optional>

class HostStatistics;

// Free memory as the tuning actions measure it: free, inactive and speculative pages.
class FreeMemory {
public:
    explicit FreeMemory(HostStatistics& host);

    // Gigabytes (bytes / 2^30); nothing when the statistics cannot be read.
    std::optional<double> gigabytes() const;

    // How much free memory grew from `before` to `after`: 0 when it shrank, and 0 when either
    // reading failed, since nothing was then measured.
    static double growth(std::optional<double> before, std::optional<double> after);

private:
    HostStatistics& m_host;
};
