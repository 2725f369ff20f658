#pragma once

#include <QString>

// Marks a folder as one that backups should skip.
namespace BackupExclusion {

bool exclude(const QString& path);
bool isExcluded(const QString& path);

} // namespace BackupExclusion
