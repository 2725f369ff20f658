#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The outcome of Game Mode or of a memory purge.
struct OptimizationReport {
    QString title;
    // One line per step that took effect, in the order performed.
    QStringList actions;
    // Memory freed in gigabytes (bytes / 2^30), never negative; nothing when not measured.
    std::optional<double> reclaimedRAMGB;

    friend bool operator==(const OptimizationReport&, const OptimizationReport&) = default;
};
