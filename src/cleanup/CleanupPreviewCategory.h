#pragma once

#include "CleanupCategoryDescriptor.h"

#include <QList>
#include <QUuid>

// One row of the cleanup preview: a category with the recommendations that fall into it.
struct CleanupPreviewCategory {
    // The category's name.
    QString id;
    QString name;
    QString reason;
    QString icon;
    CleanupCategoryDescriptor::Tint color = CleanupCategoryDescriptor::Tint::white50;
    CleanupSafety safety = CleanupSafety::careful;
    int count = 0;
    qint64 size = 0;
    // In the order of the recommendations.
    QList<QUuid> itemIDs;
};
