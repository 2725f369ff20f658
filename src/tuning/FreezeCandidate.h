#pragma once

#include "ProcessIdentity.h"

#include <QMetaType>
#include <QString>

// A running application that Background Freeze may pause.
struct FreezeCandidate {
    enum class Risk { Safe, Review };

    // The bundle identifier (or, without one, the name), "|" and the name.
    QString id;
    QString name;
    // "" when the application has none.
    QString bundleIdentifier;
    qint32 processIdentifier = 0;
    // With processIdentifier, tells this process from a later one that reuses the identifier.
    quint64 startTime = 0;
    Risk risk = Risk::Review;
    // Why the row may or may not be paused, for the user.
    QString reason;

    ProcessIdentity identity() const { return {processIdentifier, startTime}; }

    static QString makeID(const QString& bundleIdentifier, const QString& name);
    // "Safe" and "Review".
    static QString riskText(Risk risk);
    static QString reasonFor(Risk risk, const QString& name);

    friend bool operator==(const FreezeCandidate&, const FreezeCandidate&) = default;
};

Q_DECLARE_METATYPE(FreezeCandidate)
