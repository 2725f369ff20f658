#include "WorkQueues.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

struct Queues {
    Queues()
    {
        // Most tasks wait on child processes or files, so more threads than cores is right here.
        const int cores = qMax(8, QThread::idealThreadCount());
        utility.setMaxThreadCount(cores);
        userInitiated.setMaxThreadCount(cores);
        utility.setExpiryTimeout(2000);
        userInitiated.setExpiryTimeout(2000);
    }
    QThreadPool utility;
    QThreadPool userInitiated;
};

Queues& queues()
{
    static Queues q;
    return q;
}

} // namespace

QThreadPool& WorkQueues::utility()
{
    return queues().utility;
}

QThreadPool& WorkQueues::userInitiated()
{
    return queues().userInitiated;
}

void WorkQueues::drain()
{
    queues().utility.waitForDone();
    queues().userInitiated.waitForDone();
}

bool WorkQueues::drain(std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    const bool utilityDone = queues().utility.waitForDone(int(deadline.remainingTime()));
    return queues().userInitiated.waitForDone(int(deadline.remainingTime())) && utilityDone;
}
