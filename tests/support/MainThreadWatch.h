#pragma once

#include <QStringList>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

// Watches the main thread while it lives, from a thread of its own: how long its event loop went
// without a turn (a measure, for the record: a loaded machine stalls any thread), and whether the
// main thread was ever caught waiting in code of a given library. The second is what tests assert
// on: the watch interrupts the main thread every few milliseconds and looks at its stack; the same
// stack twice in a row, with a frame of the library on it, is a wait in that library. A call that
// waits for anything is seen however fast or slow the machine is, and quick work in the library
// (building a message, say) is not mistaken for one.
// Besides a library, a few functions of a shared object may be watched the same way: a wait inside
// one of them, in whatever library it ends up waiting, is seen as well.
// Construct it on the main thread; one at a time.
class MainThreadWatch {
public:
    // `library`: part of the shared object's file name, such as "libQt6DBus". `functions`: the
    // code addresses of exported functions, as codeOf() gives them.
    explicit MainThreadWatch(const QString& library, const std::vector<const void*>& functions = {});
    ~MainThreadWatch();
    MainThreadWatch(const MainThreadWatch&) = delete;
    MainThreadWatch& operator=(const MainThreadWatch&) = delete;

    // The code address of a member function that is not virtual.
    template <typename Member>
    static const void* codeOf(Member member)
    {
        // The Itanium ABI holds such a function's address in the first word of the pointer.
        const void* address = nullptr;
        static_assert(sizeof member >= sizeof address);
        std::memcpy(&address, &member, sizeof address);
        return address;
    }

    // False when the library is not loaded, a function is not found or the main thread cannot be
    // sampled.
    bool isWatching() const { return m_watching; }
    // How many stacks were looked at.
    int samples() const { return m_samples.load(); }
    // The functions of the library the main thread was caught waiting in, innermost first, one
    // entry per distinct stack.
    QStringList sightings() const;
    // The longest time the event loop went without a turn so far.
    std::chrono::milliseconds longestStall() const;

private:
    void run();
    void look(const std::vector<void*>& stack);

    bool m_watching = false;
    std::vector<std::pair<quintptr, quintptr>> m_library;
    std::vector<void*> m_previous;
    mutable std::mutex m_mutex;
    QStringList m_sightings;
    QTimer m_turns;
    std::atomic<qint64> m_lastTurnNs{0};
    std::atomic<qint64> m_longestStallNs{0};
    std::atomic<int> m_samples{0};
    std::atomic<bool> m_stop{false};
    std::thread m_sampler;
};
