#pragma once

#include <QObject>

// One hold on the display's and the machine's sleep, taken from a SleepInhibitor. It lasts until it
// is destroyed. Lives on the main thread.
class SleepHold : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SleepHold() override = default;

    // False once the hold ended by itself; lost() said so.
    virtual bool isHeld() const = 0;

signals:
    // The hold ended without being released (its helper went away). Emitted once, on the main thread.
    void lost();
};
