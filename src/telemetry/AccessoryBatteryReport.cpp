#include "AccessoryBatteryReport.h"

#include "ToolText.h"

#include <QRegularExpression>

namespace {

// "... Battery Percent: 80": the number after the last colon, named by the first quoted name or
// the text from the first word on.
std::optional<SystemMonitor::PeripheralBattery> percentLine(const QString& line)
{
    static const QRegularExpression namePattern(QStringLiteral("('[A-Za-z].*?'| [A-Za-z].*)"));
    QString number = ToolText::trimmedSpacesAndTabs(line.split(u':').constLast());
    number.remove(u'%');
    const auto battery = ToolText::toInteger(number);
    if (!battery)
        return std::nullopt;
    const auto name = namePattern.match(line);
    if (!name.hasMatch())
        return std::nullopt;
    return SystemMonitor::PeripheralBattery{ToolText::trimmedSpacesAndTabs(name.captured(0)), *battery};
}

// "<name>\t75%; discharging; ...": the name is everything before the first percentage.
std::optional<SystemMonitor::PeripheralBattery> sourceLine(const QString& line)
{
    static const QRegularExpression percentPattern(QStringLiteral("\\d+%"));
    // The internal battery is listed as " -InternalBattery-0" or " - InternalBattery-0"; it is no accessory.
    if (line.isEmpty() || line.contains(QStringLiteral("InternalBattery")) || line.contains(QStringLiteral("BatteryPower")))
        return std::nullopt;
    const auto percent = percentPattern.match(line);
    if (!percent.hasMatch())
        return std::nullopt;
    const auto battery = ToolText::toInteger(percent.captured(0).chopped(1));
    if (!battery)
        return std::nullopt;
    const QString name = ToolText::trimmedSpacesAndTabs(line.left(percent.capturedStart(0)));
    if (name.isEmpty())
        return std::nullopt;
    return SystemMonitor::PeripheralBattery{name, *battery};
}

} // namespace

QList<SystemMonitor::PeripheralBattery> AccessoryBatteryReport::parse(const QString& text)
{
    QList<SystemMonitor::PeripheralBattery> batteries;
    for (const QString& line : text.split(u'\n')) {
        const auto record = line.contains(QStringLiteral("Battery Percent")) ? percentLine(line) : sourceLine(line);
        if (record)
            batteries.append(*record);
    }
    return batteries;
}
