#include "PingProbe.h"

#include "PingOutput.h"
#include "ProcessRunner.h"
#include "StrictUtf8.h"

PingProbe::PingProbe(std::shared_ptr<ProcessRunner> runner) : m_runner(std::move(runner)) {}

std::optional<double> PingProbe::measure(const QString& host, int timeoutMs)
{
    const ProcessResult result = m_runner->run(QStringLiteral("/sbin/ping"), {"-c", "1", host}, timeoutMs);
    if (!result.started())
        return std::nullopt;
    const auto text = strictUtf8(result.standardOutput);
    if (!text)
        return std::nullopt;
    return PingOutput::latency(*text);
}
