#pragma once

#include <QString>
#include <optional>

class ProcessRunner;

// One echo request to a host through the system's ping tool. Blocks while ping runs (at most
// timeoutMs, after which it is ended), so it belongs on a worker thread.
namespace PingProbe {

// Milliseconds as ping printed them; nothing when ping cannot be started or printed no echo time.
std::optional<double> measure(ProcessRunner& runner, const QString& host, int timeoutMs);

} // namespace PingProbe
