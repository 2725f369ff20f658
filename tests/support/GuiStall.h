#pragma once

#include <chrono>
#include <thread>

// Keeps the GUI thread busy for `length` before its event loop runs again, as slow work on it or a
// loaded machine does: the layout passes and the timers queued meanwhile then come due together.
inline void holdGuiThread(std::chrono::milliseconds length)
{
    std::this_thread::sleep_for(length);
}
