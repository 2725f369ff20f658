#include "CleanupColors.h"

#include "style/Color.h"

QColor CleanupColors::tint(CleanupCategoryDescriptor::Tint tint)
{
    using Tint = CleanupCategoryDescriptor::Tint;
    switch (tint) {
    case Tint::neonCyan: return Color::neonCyan();
    case Tint::neonPurple: return Color::neonPurple();
    case Tint::neonGreen: return Color::neonGreen();
    case Tint::systemOrange: return Color::systemOrange();
    case Tint::systemYellow: return Color::systemYellow();
    case Tint::white50: return Color::white50();
    }
    return Color::white50();
}

QColor CleanupColors::safety(CleanupSafety safety)
{
    switch (safety) {
    case CleanupSafety::safe: return Color::neonGreen();
    case CleanupSafety::review: return Color::systemOrange();
    case CleanupSafety::careful: return Color::systemRed();
    }
    return Color::systemRed();
}
