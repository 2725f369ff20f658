#pragma once

#include "CleanupSafety.h"

#include <QString>

// One of the six fixed cleanup categories.
struct CleanupCategoryDescriptor {
    // The palette colour a category is drawn in; the screens resolve it.
    enum class Tint { neonCyan, neonPurple, neonGreen, systemOrange, systemYellow, white50 };

    // The display name, also the category's key.
    QString name;
    QString reason;
    QString icon;
    Tint color = Tint::white50;
    CleanupSafety safety = CleanupSafety::careful;
};
