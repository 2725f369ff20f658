#include "FakeProcessRunner.h"

void FakeHeldProcess::stop()
{
    if (!m_running)
        return;
    m_running = false;
    emit finished();
}

ProcessResult FakeProcessRunner::run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append({program, arguments, timeoutMs});
    if (m_responder) {
        const Responder responder = m_responder;
        lock.unlock();
        return responder(program, arguments);
    }
    for (auto it = m_rules.crbegin(); it != m_rules.crend(); ++it) {
        if (it->program == program && (!it->arguments || *it->arguments == arguments))
            return it->result;
    }
    return ProcessResult::notStarted();
}

std::unique_ptr<HeldProcess> FakeProcessRunner::startHeld(const QString& program, const QStringList& arguments)
{
    QMutexLocker lock(&m_mutex);
    m_heldStarts.append({program, arguments, 0});
    if (m_heldFails)
        return nullptr;
    auto held = std::make_unique<FakeHeldProcess>(m_nextPid++);
    m_lastHeld = held.get();
    return held;
}

void FakeProcessRunner::addRule(const QString& program, std::optional<QStringList> arguments, const ProcessResult& result)
{
    QMutexLocker lock(&m_mutex);
    m_rules.append({program, std::move(arguments), result});
}

void FakeProcessRunner::respondWith(Responder responder)
{
    QMutexLocker lock(&m_mutex);
    m_responder = std::move(responder);
}

QList<FakeProcessRunner::Call> FakeProcessRunner::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QStringList FakeProcessRunner::commandLines() const
{
    QStringList lines;
    for (const Call& call : calls())
        lines.append(call.commandLine());
    return lines;
}

QList<FakeProcessRunner::Call> FakeProcessRunner::heldStarts() const
{
    QMutexLocker lock(&m_mutex);
    return m_heldStarts;
}

void FakeProcessRunner::clear()
{
    QMutexLocker lock(&m_mutex);
    m_calls.clear();
    m_heldStarts.clear();
    m_rules.clear();
    m_responder = nullptr;
}
