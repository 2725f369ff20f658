#pragma once

#include "NetworkPath.h"

#include <QObject>

// Follows the system's network path. After start() the current path is reported once, soon, and
// again whenever it changes; cancel() ends the reports until the next start(). Lives on the main
// thread and reports there.
class NetworkPathMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~NetworkPathMonitor() override = default;

    virtual void start() = 0;
    virtual void cancel() = 0;

signals:
    void pathChanged(const NetworkPath& path);
};
