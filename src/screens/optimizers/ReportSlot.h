#pragma once

#include "tuning/OptimizationReport.h"

#include <QWidget>
#include <optional>

class OptimizationReportView;

// Where a card shows the optimizer's last report, when its title contains `titlePart`
// (case-sensitively); empty and hidden for any other report or none.
class ReportSlot : public QWidget {
    Q_OBJECT
public:
    ReportSlot(const QString& titlePart, QWidget* parent = nullptr);

    bool accepts(const std::optional<OptimizationReport>& report) const;
    void showReport(const std::optional<OptimizationReport>& report);

private:
    QString m_titlePart;
    OptimizationReportView* m_view = nullptr;
};
