#include "MetalDefaults.h"

#include "ProcessRunner.h"
#include "telemetry/ToolText.h"

namespace {

const QString kDefaults = QStringLiteral("/usr/bin/defaults");
const QString kFrameLimitKey = QStringLiteral("MetalFPSLimit");
const QString kHudKey = QStringLiteral("MetalForceHudEnabled");

} // namespace

MetalDefaults::MetalDefaults(ProcessRunner& runner) : m_runner(runner) {}

std::optional<qint64> MetalDefaults::readFrameLimit()
{
    const ProcessResult read = m_runner.run(kDefaults, {"read", "-g", kFrameLimitKey});
    if (!read.started())
        return std::nullopt;
    return parseFrameLimit(read.standardOutput);
}

ProcessResult MetalDefaults::writeFrameLimit(qint64 limit)
{
    return m_runner.run(kDefaults, {"write", "-g", kFrameLimitKey, "-int", QString::number(limit)});
}

ProcessResult MetalDefaults::deleteFrameLimit()
{
    return m_runner.run(kDefaults, {"delete", "-g", kFrameLimitKey});
}

bool MetalDefaults::writeHUD(const QString& bundleIdentifier, bool enabled)
{
    if (enabled)
        return m_runner.run(kDefaults, {"write", bundleIdentifier, kHudKey, "-bool", "YES"}).succeeded();
    return m_runner.run(kDefaults, {"delete", bundleIdentifier, kHudKey}).outcome == ProcessResult::Outcome::Exited;
}

std::optional<qint64> MetalDefaults::parseFrameLimit(const QByteArray& output)
{
    const auto value = ToolText::toInteger64(ToolText::decodeUtf8(output).value_or(QString()).trimmed());
    if (!value || *value < 1)
        return std::nullopt;
    return value;
}
