#pragma once

#include "style/GlassModifier.h"
#include "telemetry/FanSpeed.h"
#include "telemetry/TempReading.h"

#include <QList>
#include <optional>

class FanMonitor;
class QVBoxLayout;

// The "Cooling & Thermal" card: the CPU and GPU temperatures, one further sensor and every fan with
// its speed as a bar, from the Dashboard's own fan monitor, and a button that restarts the monitor.
class FanSpeedView : public GlassModifier {
    Q_OBJECT
public:
    FanSpeedView(FanMonitor& fanMonitor, bool colorBlindMode, QWidget* parent = nullptr);

    // Green below 60 °C, cyan to 80, orange to 90, red from 90; blue, orange and magenta with steps
    // at 60 and 80 when colour-blind.
    static QColor temperatureColor(bool colorBlind, double celsius);
    // By the share of the maximum: green below 0.3, cyan to 0.6, orange to 0.85, red above; an
    // unknown maximum (0 or less) is a neutral white.
    static QColor fanColor(bool colorBlind, double current, double maximum);
    // The fill of a fan's bar on a track `track` wide: the share of the maximum, longer than the
    // track for a fan above its maximum, 0 for a speed that is not a number; no bar at all when the
    // maximum is unknown, since an empty track would read as a stopped fan.
    static std::optional<double> fanBarWidth(double current, double maximum, double track);
    // The first sensor whose name mentions no CPU, GPU or accelerator, in any case.
    static std::optional<TempReading> otherSensor(const QList<TempReading>& temps);
    // One decimal and the degree sign; empty when not a number.
    static QString temperatureText(double celsius);

    // Stops the monitor and starts it again: a fresh read at once and a new timer.
    void restartMonitor();

    bool colorBlindMode() const { return m_colorBlindMode; }

private:
    // What the rows show; the monitor also publishes when only its running state changes.
    struct Shown {
        QList<FanSpeed> fans;
        std::optional<double> cpuTemp;
        std::optional<double> gpuTemp;
        std::optional<QString> otherName;
        double otherCelsius = 0;
        // A reading that is not a number equals another one, or the rows would be rebuilt on every
        // change of the monitor, also while the window closes.
        bool operator==(const Shown& other) const;
    };

    void refresh();
    QWidget* temperatureRow(const QString& icon, const QString& label, double celsius);
    QWidget* fanRow(const FanSpeed& fan);

    FanMonitor& m_fanMonitor;
    bool m_colorBlindMode;
    QVBoxLayout* m_rows = nullptr;
    std::optional<Shown> m_shown;
};
