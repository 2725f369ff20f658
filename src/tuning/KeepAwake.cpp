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
    stop();
}

bool KeepAwake::isRunning() const
{
    return m_hold && m_hold->isHeld();
}

bool KeepAwake::start(std::optional<int> minutes)
{
    bool started = false;
    if (!isRunning()) {
        m_hold = m_inhibitor.hold();
        started = m_hold != nullptr;
        if (started)
            connect(m_hold.get(), &SleepHold::lost, this, &KeepAwake::holdLost);
    }
    if (minutes && *minutes >= 1) {
        const qint64 length = qMin<qint64>(qint64(*minutes) * m_minute.count(), std::numeric_limits<int>::max());
        m_expiry.start(std::chrono::milliseconds(length));
    }
    return started;
}

void KeepAwake::stop()
{
    m_expiry.stop();
    if (!m_hold)
        return;
    disconnect(m_hold.get(), nullptr, this, nullptr);
    m_hold.reset();
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
