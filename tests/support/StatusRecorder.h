#pragma once

#include "MainThread.h"

#include <QString>
#include <functional>

// Records the calls of a completion that takes a success flag and a message.
struct StatusRecorder {
    int calls = 0;
    bool onMainThread = false;
    bool success = false;
    QString message;
    // Run inside the completion, to look at the state it sees.
    std::function<void()> inspect;

    std::function<void(bool, const QString&)> completion()
    {
        return [this](bool ok, const QString& text) {
            ++calls;
            onMainThread = MainThread::isCurrent();
            success = ok;
            message = text;
            if (inspect)
                inspect();
        };
    }
};
