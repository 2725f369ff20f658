#pragma once

#include <QThreadPool>
#include <chrono>

// The shared background queues: periodic reads go to utility(), work the user asked for to
// userInitiated(). A SerialQueue runs its tasks one after another, in the order given.
namespace WorkQueues {

QThreadPool& utility();
QThreadPool& userInitiated();
// Waits for every task of both shared queues.
void drain();
// Waits at most `limit` in all; false when a task was still running then. The application calls it
// before it exits.
bool drain(std::chrono::milliseconds limit);

} // namespace WorkQueues

class SerialQueue {
public:
    SerialQueue() { m_pool.setMaxThreadCount(1); }
    ~SerialQueue() { m_pool.waitForDone(); }
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    QThreadPool& pool() { return m_pool; }
    bool waitForDone(int msecs = -1) { return m_pool.waitForDone(msecs); }

private:
    QThreadPool m_pool;
};
