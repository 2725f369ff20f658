#pragma once

#include "LatencyProbe.h"

#include <QHash>
#include <QMutex>
#include <QWaitCondition>
#include <functional>
#include <memory>

// One probe serving every monitor that asks about the same host within the same second. Each
// monitor asks through its own asker(): a monitor is given the answer of a probe another one
// started less than a second before, or joins it while it still runs (when it ends no later than
// its own would have); its own earlier probes never answer it, so each monitor still measures at
// its own pace.
class SharedLatencyProbe : public std::enable_shared_from_this<SharedLatencyProbe> {
public:
    static constexpr qint64 shareWindowMs = 1000;

    // `clock`: monotonic milliseconds; the steady clock when empty.
    explicit SharedLatencyProbe(std::shared_ptr<LatencyProbe> probe, std::function<qint64()> clock = {});

    std::shared_ptr<LatencyProbe> asker();

private:
    class Asker;
    struct Probe {
        int asker = 0;
        qint64 startedMs = 0;
        qint64 deadlineMs = 0;
        bool running = true;
        std::optional<double> answer;
    };

    std::optional<double> measure(int asker, const QString& host, int timeoutMs);

    std::shared_ptr<LatencyProbe> m_probe;
    std::function<qint64()> m_clock;
    QMutex m_lock;
    QWaitCondition m_ended;
    QHash<QString, std::shared_ptr<Probe>> m_latest;
    int m_askers = 0;
};
