#pragma once

#include <QMutex>
#include <atomic>

// One value that a test thread sets and worker threads read, under its own lock.
template <typename T>
class Locked {
public:
    Locked(T value = T{}) : m_value(std::move(value)) {}
    T get() const
    {
        QMutexLocker lock(&m_mutex);
        return m_value;
    }
    void set(T value) { with([&](T& held) { held = std::move(value); }); }
    template <typename Fn>
    auto with(Fn&& fn)
    {
        QMutexLocker lock(&m_mutex);
        return fn(m_value);
    }

private:
    mutable QMutex m_mutex;
    T m_value;
};
