#include "OptimizersView.h"

#include "AutoHealSection.h"
#include "DNSSection.h"
#include "GameModeSection.h"
#include "QuickBoostSection.h"
#include "SystemToolsSection.h"

#include <QVBoxLayout>

OptimizersView::OptimizersView(SystemOptimizer& optimizer, QWidget* parent, std::chrono::milliseconds clearDelay)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);

    auto* content = new QWidget;
    content->setObjectName("optimizersColumn");
    content->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);

    m_quickBoost = new QuickBoostSection(optimizer, content);
    m_quickBoost->setObjectName("quickBoostSection");
    m_gameMode = new GameModeSection(optimizer, clearDelay, content);
    m_gameMode->setObjectName("gameModeSection");
    m_autoHeal = new AutoHealSection(optimizer, content);
    m_autoHeal->setObjectName("autoHealSection");
    m_systemTools = new SystemToolsSection(optimizer, clearDelay, content);
    m_systemTools->setObjectName("systemToolsSection");
    m_dns = new DNSSection(optimizer, content);
    m_dns->setObjectName("dnsSection");
    for (QWidget* card : std::initializer_list<QWidget*>{m_quickBoost, m_gameMode, m_autoHeal, m_systemTools, m_dns})
        column->addWidget(card);
    column->addStretch(1);
    setWidget(content);
}
