#pragma once

#include <QStringList>

// What a move to the Trash did: only moved items count towards the freed bytes.
struct TrashOutcome {
    int moved = 0;
    int notMoved = 0;
    qint64 freedBytes = 0;
    QStringList movedPaths;

    bool operator==(const TrashOutcome&) const = default;
};
