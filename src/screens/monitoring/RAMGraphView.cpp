#include "RAMGraphView.h"

#include "CardHeader.h"
#include "GraphCanvas.h"
#include "Readout.h"
#include "style/Color.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

RAMGraphView::RAMGraphView(QWidget* parent)
    : GlassModifier(16, 16, parent),
      m_used(new TextLabel(QString(), 14, QFont::Bold, Color::neonCyan(), this)),
      m_graph(new GraphCanvas(graphHeight, this)),
      m_percent(new TextLabel(QString(), 12, QFont::Medium, Color::white70(), this)),
      m_total(new TextLabel(QString(), 12, QFont::Normal, Color::white50(), this))
{
    body()->setSpacing(8);
    auto* header = new CardHeader("memorychip", Color::neonCyan(), "RAM Usage", this);
    m_used->setObjectName("ramUsed");
    Readout::holdSize(*m_used, "8888.8 GB", Qt::AlignRight);
    header->addTrailing(m_used);
    body()->addWidget(header);

    m_graph->setObjectName("ramGraph");
    body()->addWidget(m_graph);

    auto* footer = new QHBoxLayout;
    footer->setSpacing(8);
    m_percent->setObjectName("ramPercent");
    Readout::holdSize(*m_percent, "888%", Qt::AlignLeft);
    m_total->setObjectName("ramTotal");
    Readout::holdSize(*m_total, "8888 GB", Qt::AlignRight);
    footer->addWidget(m_percent, 0, Qt::AlignVCenter);
    footer->addStretch(1);
    footer->addWidget(m_total, 0, Qt::AlignVCenter);
    body()->addLayout(footer);

    setValues({}, 0, 0, 100);
}

double RAMGraphView::footerPercent(double usedGB, double totalGB)
{
    return totalGB > 0 ? usedGB / totalGB * 100.0 : 0.0;
}

void RAMGraphView::setValues(const QList<double>& history, double usedGB, double totalGB, double maxValue)
{
    m_used->setText(Readout::format("%.1f GB", usedGB));
    m_graph->setGraph({{history, Color::neonCyan(), 0.3, 4}}, maxValue);
    m_percent->setText(Readout::format("%.0f%%", footerPercent(usedGB, totalGB)));
    m_total->setText(Readout::format("%.0f GB", totalGB));
}
