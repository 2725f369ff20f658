#pragma once

#include "style/ScreenColumn.h"

#include <chrono>

class AutoHealSection;
class DNSSection;
class GameModeSection;
class QuickBoostSection;
class SystemOptimizer;
class SystemToolsSection;

// The Optimizers screen: one scrolling column of the Quick Boost, Game Mode, Auto-Heal, System
// Tools and DNS cards over the root view's optimizer, which it only borrows. The cards' state
// lives as long as the screen.
class OptimizersView : public ScreenColumn {
    Q_OBJECT
public:
    // How long a Game Mode or System Tools result stays shown.
    static constexpr std::chrono::milliseconds resultLifetime{25'000};

    explicit OptimizersView(SystemOptimizer& optimizer, QWidget* parent = nullptr,
                            std::chrono::milliseconds clearDelay = resultLifetime);

    QuickBoostSection* quickBoost() const { return m_quickBoost; }
    GameModeSection* gameMode() const { return m_gameMode; }
    AutoHealSection* autoHeal() const { return m_autoHeal; }
    SystemToolsSection* systemTools() const { return m_systemTools; }
    DNSSection* dns() const { return m_dns; }

private:
    QuickBoostSection* m_quickBoost;
    GameModeSection* m_gameMode;
    AutoHealSection* m_autoHeal;
    SystemToolsSection* m_systemTools;
    DNSSection* m_dns;
};
