#pragma once

#include "AppleScriptRunner.h"

#include <QMutex>
#include <QStringList>

// Records every script and answers as told.
class FakeAppleScriptRunner final : public AppleScriptRunner {
public:
    Result run(const QString& source) override
    {
        QMutexLocker lock(&m_mutex);
        m_sources.append(source);
        return m_result;
    }

    void setFailure(const QString& message) { m_result = {false, message}; }
    QStringList sources() const
    {
        QMutexLocker lock(&m_mutex);
        return m_sources;
    }

private:
    mutable QMutex m_mutex;
    Result m_result{true, {}};
    QStringList m_sources;
};
