#pragma once

#include <QThreadPool>
#include <functional>
#include <memory>

// The writes to the frame limit and HUD that run on worker queues. The clean-up at quit finishes
// them before it takes everything back, so that none lands after it: a write still queued is run
// at once on the caller's thread (the queue's turn for it then does nothing), and one already
// running is waited for.
class OverlayWrites {
public:
    OverlayWrites();
    // Queues `write` on the pool.
    void start(QThreadPool& pool, std::function<void()> write);
    // Returns once every write started so far has run.
    void finish();

private:
    struct Pending;
    std::shared_ptr<Pending> m_pending;
};
