#pragma once

#include "AppleScriptRunner.h"
#include "Locked.h"

#include <QSemaphore>
#include <QStringList>
#include <atomic>

// Records every script and answers as told. After hold(), each script is recorded and then waits
// for a release() before it answers, so that a test can look at what happens meanwhile.
class FakeAppleScriptRunner final : public AppleScriptRunner {
public:
    Result run(const QString& source) override
    {
        m_sources.with([&](QStringList& sources) { sources.append(source); });
        if (m_holding)
            m_released.acquire();
        return m_result.get();
    }

    void hold() { m_holding = true; }
    void release(int scripts = 1) { m_released.release(scripts); }

    void setFailure(const QString& message) { m_result.set({false, message}); }
    QStringList sources() const { return m_sources.get(); }

private:
    Locked<Result> m_result{Result{true, {}}};
    Locked<QStringList> m_sources;
    std::atomic<bool> m_holding = false;
    QSemaphore m_released;
};
