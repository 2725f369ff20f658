#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

// Work shared by a fixed number of threads that also produce it, such as the folders of a tree
// walk. Each thread keeps going on its own task and hands a part of it over only while a thread
// is free with nothing queued for it (wanted()), so the queue stays about as short as the number
// of threads. A thread not yet started counts as free: it will take what waits when it starts.
// Each thread takes tasks and says when each is done; take() gives nothing, to every thread, once
// no task is queued or in hand: the work is done.
template <typename Task>
class SplitQueue {
public:
    explicit SplitQueue(int threads) : m_threads(threads) { update(); }

    // Read without the lock: a hint, checked often and cheaply.
    bool wanted() const { return m_wanted.load(std::memory_order_relaxed) > 0; }

    void push(Task task)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
            update();
        }
        m_changed.notify_one();
    }

    std::optional<Task> take()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_tasks.empty() || m_busy == 0; });
        if (m_tasks.empty())
            return std::nullopt;
        ++m_busy;
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        update();
        return task;
    }

    // The task last taken by this thread is done, and all it handed over is queued.
    void done()
    {
        bool over = false;
        {
            const std::lock_guard lock(m_mutex);
            --m_busy;
            update();
            over = m_busy == 0 && m_tasks.empty();
        }
        if (over)
            m_changed.notify_all();
    }

private:
    void update() { m_wanted.store(m_threads - m_busy - int(m_tasks.size()), std::memory_order_relaxed); }

    const int m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Task> m_tasks;
    int m_busy = 0;
    std::atomic<int> m_wanted = 0;
};
