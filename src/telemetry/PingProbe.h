#pragma once

#include "LatencyProbe.h"

#include <memory>

class ProcessRunner;

// The latency through the system's ping tool: one run of "ping -c 1 host", ended after timeoutMs.
class PingProbe final : public LatencyProbe {
public:
    explicit PingProbe(std::shared_ptr<ProcessRunner> runner);

    // Nothing when ping cannot be started or printed no echo time.
    std::optional<double> measure(const QString& host, int timeoutMs) override;

private:
    std::shared_ptr<ProcessRunner> m_runner;
};
