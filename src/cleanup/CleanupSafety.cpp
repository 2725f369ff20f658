#include "CleanupSafety.h"

QString CleanupSafeties::rawValue(CleanupSafety safety)
{
    switch (safety) {
    case CleanupSafety::safe: return QStringLiteral("Safe");
    case CleanupSafety::review: return QStringLiteral("Review");
    case CleanupSafety::careful: return QStringLiteral("Be Careful");
    }
    return {};
}

std::optional<CleanupSafety> CleanupSafeties::fromRawValue(const QString& raw)
{
    for (const CleanupSafety safety : {CleanupSafety::safe, CleanupSafety::review, CleanupSafety::careful}) {
        if (rawValue(safety) == raw)
            return safety;
    }
    return std::nullopt;
}
