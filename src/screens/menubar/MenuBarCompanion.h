#pragma once

#include "StatusItem.h"
#include "telemetry/SystemMonitor.h"
#include "tuning/SystemOptimizer.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

class StatusBar;

// Puts the CPU, GPU and memory load into the system's status area as a short text, with a menu of
// the frame limit, the three loads, the latency and Quit. Off at every start; while on it reads the
// monitor's published values on a 2-second timer of its own. The monitor and the optimizer are
// held weakly: once gone, their readings take the defaults (0, no GPU, no latency, no limit).
class MenuBarCompanion : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultUpdateIntervalMs = 2000;
    // The menu's reading entries, by position.
    enum MenuPosition : qsizetype {
        frameLimitEntry = 2,
        cpuEntry,
        gpuEntry,
        ramEntry,
        latencyEntry,
        menuEntryCount = 9,
    };
    static inline const QString unavailableText = QStringLiteral(
        "No system tray is running on this desktop, so the companion cannot be shown. Start a tray, then try again.");
    static inline const QString trayGoneText = QStringLiteral(
        "The system tray has gone away. The companion shows again as soon as a tray is back.");
    static inline const QString unreachableText = QStringLiteral(
        "The session bus does not answer, so the system tray cannot be reached. Try again once it answers.");
    static inline const QString unreachableWhileOnText = QStringLiteral(
        "The session bus does not answer, so the tray may not show the companion until it answers again.");

    struct Readings {
        double cpu = 0;
        double ram = 0;
        double gpu = 0;
        std::optional<double> latency;
        qint64 frameLimit = 0;
    };

    explicit MenuBarCompanion(StatusBar& statusBar, QObject* parent = nullptr);
    ~MenuBarCompanion() override;

    bool isEnabled() const { return m_isEnabled; }
    // Why enable() cannot show the item now, or why the item shown may not be seen; empty while
    // the status area is there and answers.
    QString unavailableReason() const;
    const QTimer& timer() const { return m_timer; }
    void setUpdateInterval(int ms) { m_timer.setInterval(ms); }

    void setMonitor(SystemMonitor* monitor) { m_monitor = monitor; }
    void setOptimizer(SystemOptimizer* optimizer) { m_optimizer = optimizer; }

    // Shows the item and starts the timer; nothing when already enabled. With no status area the
    // companion stays off.
    void enable();
    // Stops the timer and removes the item; nothing when not enabled. The monitor keeps sampling.
    void disable();
    void updateStatus();

    Readings readings() const;
    // Writes the readings into the item's text and, when its menu holds the reading entries, into them.
    static void show(StatusItem& item, const Readings& readings);
    // Whole milliseconds, truncated toward zero; nothing for a latency that is absent or not a
    // finite number, and a huge one stops at the largest whole number.
    static std::optional<qint64> wholeMilliseconds(std::optional<double> latency);

signals:
    void changed();
    // Quit was chosen in the item's menu.
    void quitRequested();

private:
    StatusBar& m_statusBar;
    bool m_isEnabled = false;
    std::unique_ptr<StatusItem> m_statusItem;
    QTimer m_timer;
    QPointer<SystemMonitor> m_monitor;
    QPointer<SystemOptimizer> m_optimizer;
};
