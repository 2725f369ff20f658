#include "OptimizationReportView.h"

#include "screens/monitoring/Readout.h"
#include "style/Color.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QVBoxLayout>

OptimizationReportView::OptimizationReportView(const OptimizationReport& report, QWidget* parent)
    : RoundedPanel(10, Color::white10b(), parent), m_report(report)
{
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);

    auto* title = new TextLabel(report.title, 12, QFont::DemiBold, Color::white95(), this);
    title->setObjectName("reportTitle");
    column->addWidget(title);

    for (const QString& action : report.actions) {
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        row->addWidget(new SymbolView("checkmark.circle.fill", 9, Color::neonGreen(), this), 0, Qt::AlignTop);
        auto* text = new TextLabel(action, 10, QFont::Normal, Color::white70(), this);
        text->setObjectName("reportAction");
        // One line when it fits the card, two at most when it does not.
        const QFontMetrics metrics(text->font());
        text->setWordWrap(true);
        text->setMinimumWidth(qMin(metrics.horizontalAdvance(action) + 1, maximumLineWidth));
        text->setMaximumHeight(2 * metrics.lineSpacing());
        row->addWidget(text, 1, Qt::AlignTop);
        column->addLayout(row);
    }

    const QString reclaimed = reclaimedText(report.reclaimedRAMGB);
    if (!reclaimed.isEmpty()) {
        auto* line = new TextLabel(reclaimed, 10, QFont::Medium, Color::neonGreen(), this);
        line->setObjectName("reportReclaimed");
        column->addWidget(line);
    }
}

QString OptimizationReportView::reclaimedText(const std::optional<double>& gigabytes)
{
    if (!gigabytes)
        return {};
    return Readout::format("RAM reclaimed: %.2f GB", *gigabytes);
}
