#include "KeepAwake.h"

#include "SleepInhibitor.h"

#include <limits>

KeepAwake::KeepAwake(SleepInhibitor& inhibitor, std::chrono::milliseconds minute, QObject* parent)
    : QObject(parent), m_inhibitor(inhibitor), m_minute(minute)
{
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, [this] {
        stop();
        emit ended();
    });
}

KeepAwake::~KeepAwake()
{
    // The waiters belong to the owner, which is going.
    m_waiting.clear();
    stop();
}

bool KeepAwake::isRunning() const
{
    return m_hold && m_hold->isHeld();
}

void KeepAwake::start(std::optional<int> minutes, Answer answer)
{
    if (minutes && *minutes >= 1) {
        const qint64 length = qMin<qint64>(qint64(*minutes) * m_minute.count(), std::numeric_limits<int>::max());
        m_expiry.start(std::chrono::milliseconds(length));
    }
    if (isRunning()) {
        if (answer)
            answer(true, {});
        return;
    }
    if (answer)
        m_waiting.push_back(std::move(answer));
    if (m_asking)
        return;
    m_asking = true;
    m_inhibitor.hold(this, [this, request = m_request](std::unique_ptr<SleepHold> hold, const QString& problem) {
        // After stop() the hold is released right here, with `hold`.
        if (request != m_request)
            return;
        m_asking = false;
        m_hold = std::move(hold);
        if (m_hold)
            connect(m_hold.get(), &SleepHold::lost, this, &KeepAwake::holdLost);
        tell(m_hold != nullptr, problem);
    });
}

void KeepAwake::stop()
{
    m_expiry.stop();
    ++m_request;
    m_asking = false;
    tell(false);
    if (!m_hold)
        return;
    disconnect(m_hold.get(), nullptr, this, nullptr);
    m_hold.reset();
}

void KeepAwake::tell(bool running, const QString& problem)
{
    for (const Answer& answer : std::exchange(m_waiting, {}))
        answer(running, problem);
}

std::optional<std::chrono::milliseconds> KeepAwake::expiry() const
{
    if (!m_expiry.isActive())
        return std::nullopt;
    return m_expiry.intervalAsDuration();
}

void KeepAwake::holdLost()
{
    m_expiry.stop();
    // The hold announces its loss from inside its own code; it is released once that has returned.
    if (m_hold) {
        disconnect(m_hold.get(), nullptr, this, nullptr);
        m_hold.release()->deleteLater();
    }
    emit ended();
}
