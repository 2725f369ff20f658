#pragma once

#include <QString>
#include <optional>

// One echo request to a host and the time its answer took. Blocks until the answer or the
// timeout, so it belongs on a worker thread; implementations are thread-safe.
class LatencyProbe {
public:
    virtual ~LatencyProbe() = default;

    // Milliseconds, as ping prints them; nothing when no answer came or none could be asked for.
    virtual std::optional<double> measure(const QString& host, int timeoutMs) = 0;
};
