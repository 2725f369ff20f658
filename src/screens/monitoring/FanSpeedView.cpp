#include "FanSpeedView.h"

#include "CardHeader.h"
#include "FanSpeedBar.h"
#include "Readout.h"
#include "SymbolTextRow.h"
#include "style/Color.h"
#include "style/Divider.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"
#include "telemetry/FanMonitor.h"

#include <QHBoxLayout>
#include <algorithm>
#include <cmath>

FanSpeedView::FanSpeedView(FanMonitor& fanMonitor, bool colorBlindMode, QWidget* parent)
    : GlassModifier(16, 16, parent), m_fanMonitor(fanMonitor), m_colorBlindMode(colorBlindMode)
{
    body()->setSpacing(12);
    auto* header = new CardHeader("fanblades", Color::neonCyan(), "Cooling & Thermal", this);
    connect(header->addRefreshButton("restartFanMonitorButton"), &QAbstractButton::clicked, this,
            &FanSpeedView::restartMonitor);
    body()->addWidget(header);

    m_rows = new QVBoxLayout;
    m_rows->setSpacing(12);
    body()->addLayout(m_rows);

    connect(&m_fanMonitor, &FanMonitor::changed, this, &FanSpeedView::refresh);
    refresh();
}

QColor FanSpeedView::temperatureColor(bool colorBlind, double celsius)
{
    if (colorBlind) {
        if (celsius < 60)
            return Color::cbBlue();
        if (celsius < 80)
            return Color::cbOrange();
        return Color::cbMagenta();
    }
    if (celsius < 60)
        return Color::neonGreen();
    if (celsius < 80)
        return Color::neonCyan();
    if (celsius < 90)
        return Color::systemOrange();
    return Color::systemRed();
}

QColor FanSpeedView::fanColor(bool colorBlind, double current, double maximum)
{
    if (maximum <= 0)
        return Color::white70();
    const double ratio = current / maximum;
    if (ratio < 0.3)
        return colorBlind ? Color::cbBlue() : Color::neonGreen();
    if (ratio < 0.6)
        return colorBlind ? Color::cbCyan() : Color::neonCyan();
    if (ratio < 0.85)
        return colorBlind ? Color::cbOrange() : Color::systemOrange();
    return colorBlind ? Color::cbMagenta() : Color::systemRed();
}

std::optional<double> FanSpeedView::fanBarWidth(double current, double maximum, double track)
{
    if (!(maximum > 0) || !std::isfinite(maximum))
        return std::nullopt;
    if (!std::isfinite(current))
        return 0.0;
    return std::max(current / maximum, 0.0) * track;
}

std::optional<TempReading> FanSpeedView::otherSensor(const QList<TempReading>& temps)
{
    const auto it = std::find_if(temps.cbegin(), temps.cend(), [](const TempReading& reading) {
        const QString name = reading.name.toLower();
        return !name.contains(QLatin1String("cpu")) && !name.contains(QLatin1String("gpu")) &&
               !name.contains(QLatin1String("accelerator"));
    });
    if (it == temps.cend())
        return std::nullopt;
    return *it;
}

QString FanSpeedView::temperatureText(double celsius)
{
    return Readout::format("%.1f\u00B0C", celsius);
}

namespace {

bool sameReading(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool sameReading(const std::optional<double>& a, const std::optional<double>& b)
{
    return a.has_value() == b.has_value() && (!a || sameReading(*a, *b));
}

bool sameFan(const FanSpeed& a, const FanSpeed& b)
{
    return a.index == b.index && sameReading(a.current, b.current) && sameReading(a.min, b.min)
           && sameReading(a.max, b.max);
}

} // namespace

bool FanSpeedView::Shown::operator==(const Shown& other) const
{
    return std::equal(fans.cbegin(), fans.cend(), other.fans.cbegin(), other.fans.cend(), sameFan)
           && sameReading(cpuTemp, other.cpuTemp) && sameReading(gpuTemp, other.gpuTemp)
           && otherName == other.otherName && sameReading(otherCelsius, other.otherCelsius);
}

void FanSpeedView::restartMonitor()
{
    m_fanMonitor.stop();
    m_fanMonitor.start();
}

void FanSpeedView::refresh()
{
    const QList<FanSpeed>& fans = m_fanMonitor.fanSpeeds();
    const auto cpu = m_fanMonitor.cpuTemp();
    const auto gpu = m_fanMonitor.gpuTemp();
    const auto other = otherSensor(m_fanMonitor.temps());
    Shown shown{fans, cpu, gpu, other ? std::optional(other->name) : std::nullopt, other ? other->celsius : 0};
    if (shown == m_shown)
        return;
    m_shown = std::move(shown);

    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (fans.isEmpty() && !cpu && !gpu) {
        auto* empty = new SymbolTextRow("fanblades.slash", 12, "No sensor data available", 12, Color::white50(), 8, this);
        empty->setObjectName("noSensorData");
        m_rows->addWidget(empty);
        return;
    }

    if (cpu)
        m_rows->addWidget(temperatureRow("cpu", "CPU", *cpu));
    if (gpu)
        m_rows->addWidget(temperatureRow("gpu", "GPU", *gpu));
    if (other)
        m_rows->addWidget(temperatureRow("thermometer", other->name, other->celsius));
    if (fans.isEmpty())
        return;
    m_rows->addWidget(new Divider(Color::white50(), this));
    for (const FanSpeed& fan : fans)
        m_rows->addWidget(fanRow(fan));
}

QWidget* FanSpeedView::temperatureRow(const QString& icon, const QString& label, double celsius)
{
    const QColor color = temperatureColor(m_colorBlindMode, celsius);
    auto* widget = new QWidget(this);
    widget->setObjectName("temperature:" + label);
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    auto* symbol = new SymbolView(icon, 12, color, widget);
    symbol->setObjectName("temperatureIcon");
    row->addWidget(symbol, 0, Qt::AlignVCenter);
    row->addWidget(new TextLabel(label, 11, QFont::Normal, Color::white70(), widget), 0, Qt::AlignVCenter);
    row->addStretch(1);
    auto* value = new TextLabel(temperatureText(celsius), 12, QFont::Medium, Color::onCard(color), widget);
    value->setObjectName("temperatureValue");
    row->addWidget(value, 0, Qt::AlignVCenter);
    return widget;
}

QWidget* FanSpeedView::fanRow(const FanSpeed& fan)
{
    const QColor color = fanColor(m_colorBlindMode, fan.current, fan.max);
    const QString rpm = Readout::wholeText(fan.current);
    const QString minimum = Readout::wholeText(fan.min);
    auto* widget = new QWidget(this);
    widget->setObjectName("fan:" + QString::number(fan.index + 1));
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    auto* symbol = new SymbolView("fanblades.fill", 10, color, widget);
    symbol->setObjectName("fanIcon");
    row->addWidget(symbol, 0, Qt::AlignVCenter);
    auto* name = new TextLabel("Fan " + QString::number(fan.index + 1), 11, QFont::Normal, Color::white70(), widget);
    name->setFixedWidth(44);
    row->addWidget(name, 0, Qt::AlignVCenter);
    if (const auto fill = fanBarWidth(fan.current, fan.max, FanSpeedBar::trackWidth))
        row->addWidget(new FanSpeedBar(*fill, color, widget), 0, Qt::AlignVCenter);
    else
        row->addSpacing(FanSpeedBar::trackWidth);
    auto* speed = new TextLabel(rpm.isEmpty() ? rpm : rpm + " RPM", 11, QFont::Medium, Color::onCard(color), widget);
    speed->setObjectName("fanSpeed");
    row->addWidget(speed, 0, Qt::AlignVCenter);
    row->addStretch(1);
    auto* min = new TextLabel(minimum.isEmpty() ? minimum : "min " + minimum, 10, QFont::Normal, Color::white50(), widget);
    min->setObjectName("fanMinimum");
    row->addWidget(min, 0, Qt::AlignVCenter);
    return widget;
}
