#pragma once

#include "GameProfile.h"

#include <QList>
#include <QSet>

// The twelve built-in profiles, in their fixed order.
class GameProfilePresets {
public:
    static const QList<GameProfile>& all();
    static QSet<QString> ids();
    // Every preset's bundle identifiers, without duplicates.
    static QSet<QString> bundleIDs();
};
