#pragma once

// Empties the system's cache of name lookups. Blocks until that is done: call it off the main
// thread. Thread-safe.
class DnsCacheFlusher {
public:
    virtual ~DnsCacheFlusher() = default;

    // True when the cache was flushed; false when the service is missing or refused.
    virtual bool flush() = 0;
};
