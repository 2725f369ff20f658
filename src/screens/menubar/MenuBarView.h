#pragma once

#include "style/ScreenColumn.h"
#include "telemetry/FanMonitor.h"

class MenuBarCompanion;
class PreviewCell;
class SwitchToggle;
class SystemMonitor;
class SystemOptimizer;
class TextLabel;
struct ScreenPlatform;

// The "Menu Bar" screen: the switch of the status-bar companion, a live preview of six readings
// and what the companion does. It borrows the companion, the monitor and the optimizer, and owns a
// fan monitor that samples only while the screen is shown.
class MenuBarView : public ScreenColumn {
    Q_OBJECT
public:
    MenuBarView(MenuBarCompanion& companion, SystemMonitor& monitor, SystemOptimizer& optimizer,
                const ScreenPlatform& platform, QWidget* parent = nullptr);

    FanMonitor& fanMonitor() { return m_fanMonitor; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* companionCard();
    QWidget* previewCard();
    QWidget* aboutCard();
    void toggleCompanion(bool on);
    void refreshSwitch();
    void refreshPreview();

    MenuBarCompanion& m_companion;
    SystemMonitor& m_monitor;
    SystemOptimizer& m_optimizer;
    FanMonitor m_fanMonitor;

    SwitchToggle* m_switch = nullptr;
    TextLabel* m_unavailable = nullptr;
    PreviewCell* m_cpu = nullptr;
    PreviewCell* m_gpu = nullptr;
    PreviewCell* m_ram = nullptr;
    PreviewCell* m_frameLimit = nullptr;
    PreviewCell* m_fan = nullptr;
    PreviewCell* m_latency = nullptr;
};
