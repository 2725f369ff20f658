#pragma once

#include "cleanup/CleanupCategoryDescriptor.h"

#include <QColor>

// The palette colours of the cleanup categories and safety levels.
namespace CleanupColors {

QColor tint(CleanupCategoryDescriptor::Tint tint);
// Safe green, review orange, careful red.
QColor safety(CleanupSafety safety);

} // namespace CleanupColors
