#pragma once

#include "style/GlassModifier.h"

class QWidget;
class RoundedPanel;
class SwitchToggle;
class SymbolView;
class SystemOptimizer;
class TextLabel;

// The "Auto-Heal" card: a switch bound to the optimizer's auto-heal and, while it is on, the
// optimizer's status line: green while it monitors or has healed, red when it reports a failure.
class AutoHealSection : public GlassModifier {
    Q_OBJECT
public:
    explicit AutoHealSection(SystemOptimizer& optimizer, QWidget* parent = nullptr);

    // Green for "Monitoring…" and "Healed: …", red for anything else.
    static QColor statusColor(const QString& message);

private:
    void refresh();

    SystemOptimizer& m_optimizer;
    SymbolView* m_heart;
    SwitchToggle* m_switch;
    QWidget* m_status;
    RoundedPanel* m_dot;
    TextLabel* m_message;
};
