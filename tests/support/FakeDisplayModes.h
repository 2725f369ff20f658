#pragma once

#include "DisplayModes.h"

#include <QMutex>
#include <QSemaphore>

// A display whose modes, current mode and switch result a test sets. A switch to a listed mode
// that succeeds makes it current. With `holdSwitches`, each switch waits until release() is called,
// so a test can look at the screen while the switch runs.
class FakeDisplayModes final : public DisplayModes {
public:
    std::optional<QList<DisplayMode>> allModes(bool includeDuplicateLowResolution) override
    {
        QMutexLocker lock(&m_mutex);
        if (!includeDuplicateLowResolution && plainModes)
            return plainModes;
        return modes;
    }

    std::optional<DisplayMode> currentMode() override
    {
        QMutexLocker lock(&m_mutex);
        return current;
    }

    int setMode(const DisplayMode& mode) override
    {
        if (holdSwitches)
            m_released.acquire();
        QMutexLocker lock(&m_mutex);
        switched.append(mode);
        if (switchResult == 0)
            current = mode;
        return switchResult;
    }

    void release() { m_released.release(); }

    QList<DisplayMode> switchedModes()
    {
        QMutexLocker lock(&m_mutex);
        return switched;
    }

    // Set before the screen runs; read under the lock once it does.
    std::optional<QList<DisplayMode>> modes;
    // The list without duplicate low-resolution modes, when it differs from `modes`.
    std::optional<QList<DisplayMode>> plainModes;
    std::optional<DisplayMode> current;
    int switchResult = 0;
    bool holdSwitches = false;

private:
    QMutex m_mutex;
    QSemaphore m_released;
    QList<DisplayMode> switched;
};
