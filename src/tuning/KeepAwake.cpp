#include "KeepAwake.h"

#include "ProcessRunner.h"

#include <limits>

namespace {
const QString kCaffeinate = QStringLiteral("/usr/bin/caffeinate");
}

KeepAwake::KeepAwake(ProcessRunner& runner, std::chrono::milliseconds minute, QObject* parent)
    : QObject(parent), m_runner(runner), m_minute(minute)
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
    return m_process && m_process->isRunning();
}

bool KeepAwake::start(std::optional<int> minutes)
{
    bool started = false;
    if (!isRunning()) {
        m_process = m_runner.startHeld(kCaffeinate, {"-d"});
        started = m_process != nullptr;
        if (started)
            connect(m_process.get(), &HeldProcess::finished, this, &KeepAwake::childFinished);
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
    if (!m_process)
        return;
    disconnect(m_process.get(), nullptr, this, nullptr);
    if (m_process->isRunning())
        m_process->stop();
    m_process.reset();
}

std::optional<std::chrono::milliseconds> KeepAwake::expiry() const
{
    if (!m_expiry.isActive())
        return std::nullopt;
    return m_expiry.intervalAsDuration();
}

void KeepAwake::childFinished()
{
    m_expiry.stop();
    // The child announces its end from inside its own code; it is released once that has returned.
    if (m_process) {
        disconnect(m_process.get(), nullptr, this, nullptr);
        m_process.release()->deleteLater();
    }
    emit ended();
}
