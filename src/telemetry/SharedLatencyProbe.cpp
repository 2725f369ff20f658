#include "SharedLatencyProbe.h"

#include <chrono>

class SharedLatencyProbe::Asker final : public LatencyProbe {
public:
    Asker(std::shared_ptr<SharedLatencyProbe> shared, int id) : m_shared(std::move(shared)), m_id(id) {}

    std::optional<double> measure(const QString& host, int timeoutMs) override
    {
        return m_shared->measure(m_id, host, timeoutMs);
    }

private:
    std::shared_ptr<SharedLatencyProbe> m_shared;
    int m_id;
};

SharedLatencyProbe::SharedLatencyProbe(std::shared_ptr<LatencyProbe> probe, std::function<qint64()> clock)
    : m_probe(std::move(probe)), m_clock(std::move(clock))
{
    if (!m_clock) {
        m_clock = [] {
            using namespace std::chrono;
            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        };
    }
}

std::shared_ptr<LatencyProbe> SharedLatencyProbe::asker()
{
    QMutexLocker lock(&m_lock);
    return std::make_shared<Asker>(shared_from_this(), ++m_askers);
}

std::optional<double> SharedLatencyProbe::measure(int asker, const QString& host, int timeoutMs)
{
    QMutexLocker lock(&m_lock);
    const qint64 now = m_clock();
    const std::shared_ptr<Probe> latest = m_latest.value(host);
    if (latest && latest->asker != asker && now - latest->startedMs < shareWindowMs &&
        (!latest->running || latest->deadlineMs <= now + timeoutMs)) {
        while (latest->running)
            m_ended.wait(&m_lock);
        return latest->answer;
    }
    const auto probe = std::make_shared<Probe>(Probe{asker, now, now + timeoutMs, true, std::nullopt});
    m_latest.insert(host, probe);
    lock.unlock();
    const std::optional<double> answer = m_probe->measure(host, timeoutMs);
    lock.relock();
    probe->answer = answer;
    probe->running = false;
    m_ended.wakeAll();
    return answer;
}
