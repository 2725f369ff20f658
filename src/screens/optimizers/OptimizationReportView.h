#pragma once

#include "style/RoundedPanel.h"
#include "tuning/OptimizationReport.h"

// A read-only panel for one report: its title, one row per action line, each with a check mark,
// and, when measured, the memory it reclaimed. As large as its content.
class OptimizationReportView : public RoundedPanel {
    Q_OBJECT
public:
    // The width beyond which an action line wraps, narrower than a card at the smallest window.
    static constexpr int maximumLineWidth = 480;

    explicit OptimizationReportView(const OptimizationReport& report, QWidget* parent = nullptr);

    const OptimizationReport& report() const { return m_report; }
    // "RAM reclaimed: 1.25 GB", with a point whatever the user's locale; empty when not measured.
    static QString reclaimedText(const std::optional<double>& gigabytes);

private:
    OptimizationReport m_report;
};
