#pragma once

#include "StatusItem.h"

#include <QObject>
#include <memory>

// The system's status area, where applications show small items. A desktop without one (no tray
// host running) makes no items. Main thread only.
class StatusBar : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~StatusBar() override = default;

    // As last heard: asking never waits.
    virtual bool isAvailable() const = 0;
    // Whatever leads to the status area answers, as last heard; while it does not, no item can be
    // placed, whether or not a status area runs behind it.
    virtual bool isReachable() const { return true; }
    // A new, empty item, shown as soon as the status area can take it; nothing when the status
    // area is not available.
    virtual std::unique_ptr<StatusItem> addItem() = 0;

signals:
    // What isAvailable() says may have changed.
    void availabilityChanged();
};
