#pragma once

#include "ProcessIdentity.h"

#include <QMetaType>
#include <QString>

// One of the user's running applications as the workspace reports it.
struct RunningApplication {
    enum class ActivationPolicy {
        Regular,    // an ordinary application the user works with
        Accessory,  // has no place of its own among the user's applications but may show windows
        Prohibited, // runs in the background only
    };

    qint32 processIdentifier = 0;
    quint64 startTime = 0;
    // Empty when the application has no name.
    QString localizedName;
    // Empty when the application has none.
    QString bundleIdentifier;
    ActivationPolicy activationPolicy = ActivationPolicy::Regular;
    // Empty when unknown.
    QString executableLocation;
    bool isTerminated = false;

    ProcessIdentity identity() const { return {processIdentifier, startTime}; }

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

Q_DECLARE_METATYPE(RunningApplication)
