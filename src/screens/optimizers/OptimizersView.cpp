#include "OptimizersView.h"

#include "AutoHealSection.h"
#include "DNSSection.h"
#include "GameModeSection.h"
#include "QuickBoostSection.h"
#include "SystemToolsSection.h"

OptimizersView::OptimizersView(SystemOptimizer& optimizer, QWidget* parent, std::chrono::milliseconds clearDelay)
    : ScreenColumn(parent),
      m_quickBoost(new QuickBoostSection(optimizer, widget())),
      m_gameMode(new GameModeSection(optimizer, clearDelay, widget())),
      m_autoHeal(new AutoHealSection(optimizer, widget())),
      m_systemTools(new SystemToolsSection(optimizer, clearDelay, widget())),
      m_dns(new DNSSection(optimizer, widget()))
{
    widget()->setObjectName("optimizersColumn");
    m_quickBoost->setObjectName("quickBoostSection");
    m_gameMode->setObjectName("gameModeSection");
    m_autoHeal->setObjectName("autoHealSection");
    m_systemTools->setObjectName("systemToolsSection");
    m_dns->setObjectName("dnsSection");
    addCards({m_quickBoost, m_gameMode, m_autoHeal, m_systemTools, m_dns});
}
