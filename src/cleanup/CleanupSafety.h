#pragma once

#include <QString>
#include <optional>

// How safe removing a cleanup category is; decides the badge and what is selected by default.
enum class CleanupSafety { safe, review, careful };

namespace CleanupSafeties {

// "Safe", "Review" or "Be Careful": the badge text.
QString rawValue(CleanupSafety safety);
// Exactly one of the three texts, letter case included; nothing for any other.
std::optional<CleanupSafety> fromRawValue(const QString& raw);

} // namespace CleanupSafeties
