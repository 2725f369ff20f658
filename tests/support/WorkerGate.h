#pragma once

#include <QSemaphore>
#include <QThreadPool>

// Holds every worker of a pool until open() (or destruction), so that work queued meanwhile
// cannot start before the test has done what it needs to, such as releasing the work's owner.
class WorkerGate {
public:
    explicit WorkerGate(QThreadPool& pool) : m_workers(pool.maxThreadCount())
    {
        for (int i = 0; i < m_workers; ++i)
            pool.start([this] {
                m_gate.acquire();
                m_done.release();
            });
    }
    // Waits until every held worker has let go of the gate.
    ~WorkerGate()
    {
        open();
        m_done.acquire(m_workers);
    }

    void open()
    {
        if (m_open)
            return;
        m_open = true;
        m_gate.release(m_workers);
    }

private:
    QSemaphore m_gate;
    QSemaphore m_done;
    int m_workers;
    bool m_open = false;
};
