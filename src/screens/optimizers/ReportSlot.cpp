#include "ReportSlot.h"

#include "OptimizationReportView.h"

#include <QVBoxLayout>

ReportSlot::ReportSlot(const QString& titlePart, QWidget* parent) : QWidget(parent), m_titlePart(titlePart)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    hide();
}

bool ReportSlot::accepts(const std::optional<OptimizationReport>& report) const
{
    return report && report->title.contains(m_titlePart);
}

void ReportSlot::showReport(const std::optional<OptimizationReport>& report)
{
    const bool shown = accepts(report);
    if (m_view && shown && m_view->report() == *report)
        return;
    delete m_view;
    m_view = nullptr;
    setVisible(shown);
    if (!shown)
        return;
    m_view = new OptimizationReportView(*report, this);
    m_view->setObjectName("report");
    layout()->addWidget(m_view);
    layout()->setAlignment(m_view, Qt::AlignLeft);
}
