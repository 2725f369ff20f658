#include "PowerReportFacts.h"

#include "ProcessRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

PowerReportFacts::PowerReportFacts(ProcessRunner& runner, std::shared_ptr<SystemFacts> facts)
    : m_runner(runner), m_facts(std::move(facts))
{
}

std::optional<BatteryWear> PowerReportFacts::internalBattery()
{
    std::optional<BatteryWear> wear = m_facts->internalBattery();
    if (!wear)
        return std::nullopt;
    const ProcessResult report = m_runner.run(tool, {"SPPowerDataType", "-json"}, toolTimeoutMs);
    if (report.succeeded())
        wear->reportedHealth = healthFromReport(report.standardOutput);
    return wear;
}

std::optional<int> PowerReportFacts::healthFromReport(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonValue list = document.object().value("SPPowerDataType");
    if (!list.isArray())
        return std::nullopt;
    for (const QJsonValue& entry : list.toArray()) {
        const QJsonValue capacity = entry.toObject()
                                        .value("sppower_battery_health_info")
                                        .toObject()
                                        .value("sppower_battery_health_maximum_capacity");
        if (!capacity.isString())
            continue;
        QString digits;
        for (const QChar c : capacity.toString()) {
            if (c.isDigit())
                digits.append(QChar(u'0' + c.digitValue()));
        }
        bool ok = false;
        const int percent = digits.toInt(&ok);
        if (ok && percent >= 0 && percent <= 100)
            return percent;
    }
    return std::nullopt;
}
