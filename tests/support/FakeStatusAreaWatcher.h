#pragma once

#include "StatusAreaWatcher.h"

#include <QList>
#include <QPointer>
#include <utility>

// A status area that tests switch on and off, and whose bus answers when the test says so.
class FakeStatusAreaWatcher final : public StatusAreaWatcher {
public:
    bool isHostPresent() const override { return hostPresent; }
    bool isAnswering() const override { return answering; }
    void afterNextAnswer(QObject* context, std::function<void()> then) override
    {
        waiting.append({context, std::move(then)});
    }

    void set(bool host, bool answers)
    {
        hostPresent = host;
        answering = answers;
        emit changed();
    }
    // The bus answers a round trip: what waited for one runs.
    void answer()
    {
        const auto now = std::exchange(waiting, {});
        for (const auto& [context, then] : now) {
            if (context)
                then();
        }
    }

    bool hostPresent = true;
    bool answering = true;
    QList<std::pair<QPointer<QObject>, std::function<void()>>> waiting;
};
