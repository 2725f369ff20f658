#pragma once

#include <QObject>

// A child process kept running until it is stopped or exits on its own.
// Lives on the main thread; finished() is emitted there once, whichever way it ends.
class HeldProcess : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HeldProcess() override = default;

    virtual bool isRunning() const = 0;
    virtual qint64 processId() const = 0;
    // Ends the child and waits for it; does nothing when it has already ended.
    virtual void stop() = 0;

signals:
    void finished();
};
