#pragma once

#include "StorageCategory.h"

#include <QList>
#include <utility>

// The Storage card's arithmetic: which folders become categories, their colours, and sizes as text.
class StorageBreakdown {
public:
    // A rest of used space above this (decimal bytes) is shown as "Other".
    static constexpr qint64 otherThreshold = 100'000'000;

    // One category per folder of at least one byte, in order, then "Other" for the used bytes they
    // leave when that is more than the threshold. Every call makes new identifiers.
    static QList<StorageCategory> buildStorageCategories(const QList<std::pair<QString, qint64>>& folderSizes,
                                                         qint64 usedBytes);
    static QColor categoryColor(const QString& name);
    // Bytes in the largest 1024-based unit up to "TB" that leaves at least 1, "%.1f" and the unit;
    // negative sizes stay in bytes.
    static QString formatBytes(qint64 bytes);
    // The filled part of the usage bar, 0 for an unknown volume.
    static double usedFraction(qint64 totalBytes, qint64 usedBytes);
};
