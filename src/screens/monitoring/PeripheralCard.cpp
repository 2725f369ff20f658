#include "PeripheralCard.h"

#include "CardHeader.h"
#include "SymbolTextRow.h"
#include "style/Color.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <algorithm>

namespace {

constexpr int kDefaultTextSize = 13;

bool sameList(const QList<SystemMonitor::PeripheralBattery>& a, const QList<SystemMonitor::PeripheralBattery>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const auto& x, const auto& y) { return x.name == y.name && x.battery == y.battery; });
}

} // namespace

PeripheralCard::PeripheralCard(SystemMonitor& monitor, bool colorBlindMode, QWidget* parent)
    : GlassModifier(16, 16, parent), m_monitor(monitor), m_colorBlindMode(colorBlindMode)
{
    body()->setSpacing(12);
    auto* header = new CardHeader("keyboard", Color::neonCyan(), "Bluetooth Devices", this);
    connect(header->addRefreshButton("refreshPeripheralsButton"), &QAbstractButton::clicked, &m_monitor,
            &SystemMonitor::refreshPeripheralBatteries);
    body()->addWidget(header);

    m_rows = new QVBoxLayout;
    m_rows->setSpacing(12);
    body()->addLayout(m_rows);

    connect(&m_monitor, &SystemMonitor::changed, this, &PeripheralCard::refresh);
    refresh();
}

QColor PeripheralCard::batteryLevelColor(int level, bool colorBlind)
{
    if (level < 20)
        return colorBlind ? Color::cbMagenta() : Color::systemRed();
    if (level < 50)
        return colorBlind ? Color::cbOrange() : Color::systemOrange();
    return colorBlind ? Color::cbBlue() : Color::neonGreen();
}

QString PeripheralCard::batteryIcon(int level)
{
    if (level < 0)
        return QStringLiteral("checkmark.circle.fill");
    if (level < 25)
        return QStringLiteral("battery.25");
    if (level < 50)
        return QStringLiteral("battery.50");
    if (level < 75)
        return QStringLiteral("battery.75");
    return QStringLiteral("battery.100");
}

QString PeripheralCard::levelText(int level)
{
    return level < 0 ? QStringLiteral("Connected") : QString::number(level) + QLatin1Char('%');
}

void PeripheralCard::refresh()
{
    // The monitor publishes every second; the rows change only with a new reading of accessories.
    const QList<SystemMonitor::PeripheralBattery>& peripherals = m_monitor.peripheralBatteries();
    if (m_hasShown && sameList(peripherals, m_shown))
        return;
    m_hasShown = true;
    m_shown = peripherals;

    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (peripherals.isEmpty()) {
        auto* empty = new SymbolTextRow("keyboard.badge.ellipsis", kDefaultTextSize, "No devices found - tap refresh",
                                        kDefaultTextSize, Color::white50(), 8, this);
        empty->setObjectName("noPeripherals");
        m_rows->addWidget(empty);
        return;
    }
    for (const SystemMonitor::PeripheralBattery& peripheral : peripherals)
        m_rows->addWidget(buildRow(peripheral));
}

QWidget* PeripheralCard::buildRow(const SystemMonitor::PeripheralBattery& peripheral)
{
    const bool connectedOnly = peripheral.battery < 0;
    const QColor color = connectedOnly ? Color::neonGreen() : batteryLevelColor(peripheral.battery, m_colorBlindMode);
    auto* widget = new QWidget(this);
    widget->setObjectName("peripheral:" + peripheral.name);
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    auto* icon = new SymbolView(batteryIcon(peripheral.battery), kDefaultTextSize + 3, color, widget);
    icon->setObjectName("peripheralIcon");
    row->addWidget(icon, 0, Qt::AlignVCenter);
    row->addWidget(new TextLabel(peripheral.name, 12, QFont::Normal, Color::white70(), widget), 0, Qt::AlignVCenter);
    row->addStretch(1);
    auto* level = new TextLabel(levelText(peripheral.battery), 12, QFont::Medium, Color::onCard(color), widget);
    level->setObjectName("peripheralLevel");
    row->addWidget(level, 0, Qt::AlignVCenter);
    return widget;
}
