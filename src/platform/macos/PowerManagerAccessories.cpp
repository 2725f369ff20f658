#include "PowerManagerAccessories.h"

#include "ProcessRunner.h"
#include "StrictUtf8.h"
#include "ToolText.h"

#include <QRegularExpression>

namespace {

// "... Battery Percent: 80": the number after the last colon, named by the first quoted name or
// the text from the first word on.
std::optional<AccessoryBattery> percentLine(const QString& line)
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
    return AccessoryBattery{ToolText::trimmedSpacesAndTabs(name.captured(0)), *battery};
}

// "<name>\t75%; discharging; ...": the name is everything before the first percentage.
std::optional<AccessoryBattery> sourceLine(const QString& line)
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
    return AccessoryBattery{name, *battery};
}

} // namespace

QList<AccessoryBattery> PowerManagerAccessories::parse(const QString& text)
{
    QList<AccessoryBattery> batteries;
    for (const QString& line : text.split(u'\n')) {
        const auto record = line.contains(QStringLiteral("Battery Percent")) ? percentLine(line) : sourceLine(line);
        if (record)
            batteries.append(*record);
    }
    return batteries;
}

PowerManagerAccessories::PowerManagerAccessories(ProcessRunner& runner, std::shared_ptr<PowerSupplies> internal)
    : m_runner(runner), m_internal(std::move(internal))
{
}

std::optional<BatteryProperties> PowerManagerAccessories::internalBattery()
{
    return m_internal->internalBattery();
}

QList<AccessoryBattery> PowerManagerAccessories::accessoryBatteries()
{
    // A run that did not start printed nothing, and nothing lists no accessory.
    const ProcessResult result = m_runner.run(tool, {"-g", "accps"}, toolTimeoutMs);
    const auto text = strictUtf8(result.standardOutput);
    return text ? parse(*text) : QList<AccessoryBattery>{};
}
