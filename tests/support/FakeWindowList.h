#pragma once

#include "Locked.h"
#include "linux/WindowList.h"

#include <QThread>
#include <memory>

// A window list a test sets at will; it records the threads it was read on.
class FakeWindowList final : public WindowList {
public:
    struct State {
        Reading reading;
        QList<QThread*> readers;
    };

    explicit FakeWindowList(std::shared_ptr<Locked<State>> state) : m_state(std::move(state)) {}

    Reading read() override
    {
        return m_state->with([](State& state) {
            state.readers.append(QThread::currentThread());
            return state.reading;
        });
    }

private:
    std::shared_ptr<Locked<State>> m_state;
};
