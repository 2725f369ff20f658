#pragma once

#include "AppleScriptRunner.h"
#include "Locked.h"

#include <QStringList>

// Records every script and answers as told.
class FakeAppleScriptRunner final : public AppleScriptRunner {
public:
    Result run(const QString& source) override
    {
        m_sources.with([&](QStringList& sources) { sources.append(source); });
        return m_result.get();
    }

    void setFailure(const QString& message) { m_result.set({false, message}); }
    QStringList sources() const { return m_sources.get(); }

private:
    Locked<Result> m_result{Result{true, {}}};
    Locked<QStringList> m_sources;
};
