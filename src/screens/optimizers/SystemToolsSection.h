#pragma once

#include "LifeToken.h"
#include "ResultClear.h"
#include "style/GlassModifier.h"

#include <QColor>
#include <chrono>

class OptimizerButton;
class ReportSlot;
class SystemOptimizer;
class TextLabel;

// The "System Tools" card: four tiles (keep-awake, mute, the Metal HUD and a memory purge), the
// line of the last HUD or purge result in green or red, or of keep-awake that could not be switched
// on, and the optimizer's purge report. Line and report are cleared `clearDelay` after the last
// result; keep-awake switched on takes its refusal away at once. Results that come back after the
// card is gone are dropped.
class SystemToolsSection : public GlassModifier {
    Q_OBJECT
public:
    SystemToolsSection(SystemOptimizer& optimizer, std::chrono::milliseconds clearDelay, QWidget* parent = nullptr);

    const QString& statusMessage() const { return m_statusMessage; }
    QColor statusColor() const { return m_statusColor; }
    void applyToolResult(bool success, const QString& message);

private:
    void antiShutRefused(const QString& message);
    void setStatus(const QString& message, const QColor& color);
    void refresh();

    SystemOptimizer& m_optimizer;
    QString m_statusMessage;
    QColor m_statusColor;
    // The line says Anti Shut could not be switched on.
    bool m_showsAntiShutRefusal = false;
    ResultClear m_clear;
    OptimizerButton* m_antiShut;
    OptimizerButton* m_focusMode;
    OptimizerButton* m_metalHUD;
    TextLabel* m_status;
    ReportSlot* m_report;
    LifeToken m_life;
};
