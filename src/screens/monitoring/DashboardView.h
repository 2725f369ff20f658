#pragma once

#include "PerformanceWarningItem.h"
#include "telemetry/FanMonitor.h"
#include "telemetry/PowerHealthMonitor.h"

#include <QList>
#include <QScrollArea>

class AfterPaint;
class FanSpeedView;
class LiveGraphView;
class NetworkGraphView;
class NetworkMonitor;
class PerformanceWarningToast;
class PeripheralCard;
class QuickStatCard;
class QVBoxLayout;
class SessionLogger;
class SystemMonitor;
struct ScreenPlatform;

// The Dashboard: one scrolling column of the performance warnings, the memory graph, the network
// card, the memory breakdown, the accessory batteries, the cooling card and the session recorder.
// It borrows the root view's samplers and owns a fan monitor and a battery monitor of its own,
// which run only while the screen is shown, from its first frame on.
class DashboardView : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int networkSmoothingWindow = 3;

    DashboardView(SystemMonitor& monitor, SessionLogger& sessionLogger, NetworkMonitor& networkMonitor,
                  bool colorBlindMode, const ScreenPlatform& platform, QWidget* parent = nullptr);

    // From this screen's own monitors and the colour-blind setting as it stands now; every call
    // builds new items.
    QList<PerformanceWarningItem> performanceWarnings() const;

    SystemMonitor& monitor() const { return m_monitor; }
    SessionLogger& sessionLogger() const { return m_sessionLogger; }
    NetworkMonitor& networkMonitor() const { return m_networkMonitor; }
    bool colorBlindMode() const { return m_colorBlindMode; }
    FanMonitor& fanMonitor() { return m_fanMonitor; }
    PowerHealthMonitor& powerHealthMonitor() { return m_powerHealthMonitor; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildMemoryRow(QWidget* parent);
    void refreshWarnings();
    void refreshMemoryRow();

    SystemMonitor& m_monitor;
    SessionLogger& m_sessionLogger;
    NetworkMonitor& m_networkMonitor;
    bool m_colorBlindMode;
    FanMonitor m_fanMonitor;
    PowerHealthMonitor m_powerHealthMonitor;
    AfterPaint* m_startMonitors = nullptr;

    PerformanceWarningToast* m_warnings = nullptr;
    QuickStatCard* m_active = nullptr;
    QuickStatCard* m_wired = nullptr;
    QuickStatCard* m_compressed = nullptr;
};
