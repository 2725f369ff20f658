#pragma once

#include <QString>
#include <optional>

class ProcessRunner;

// One echo request to a host through the system's ping tool, and the reading of its echo time.
// measure() blocks while ping runs (at most timeoutMs), so it belongs on a worker thread.
namespace NetworkLatencyProbe {

// Milliseconds as ping printed them; nothing when ping cannot be started or printed no echo time.
std::optional<double> measure(ProcessRunner& runner, const QString& host, int timeoutMs);
// The number that follows the first "time=" in ping's output.
std::optional<double> echoTime(const QString& output);

} // namespace NetworkLatencyProbe
