#pragma once

#include <QString>

// Asks the system to give back memory that only caches hold. Blocks until that is done: call it
// off the main thread. Thread-safe.
class MemoryPurger {
public:
    struct Outcome {
        enum class Kind {
            Purged,
            // The purge could not be started; `error` says why.
            Failed,
            // The system refused the purge to this user.
            NotPermitted,
        };
        Kind kind = Kind::Failed;
        QString error = {};

        bool purged() const { return kind == Kind::Purged; }
    };

    virtual ~MemoryPurger() = default;

    virtual Outcome purge() = 0;
};
