#pragma once

#include "DisplayMode.h"

#include <QString>
#include <QUuid>

// One display mode as the Resolution screen lists it. Every listing makes new identifiers, so an
// option from one listing never equals an option of another, even for the same mode.
struct DisplayModeOption {
    QUuid id;
    DisplayMode mode;
    qint64 width = 0;
    qint64 height = 0;
    double refreshRate = 0;
    bool isCurrent = false;
    bool hiDPI = false;

    static DisplayModeOption make(const DisplayMode& mode, bool isCurrent);

    // "W x H @ RHz" with the rate truncated, "W x H" without a positive rate, and the halved size
    // for a high-density mode.
    QString label() const;

    bool operator==(const DisplayModeOption& other) const = default;
};
