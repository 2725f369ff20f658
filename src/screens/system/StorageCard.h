#pragma once

#include "StorageCategory.h"
#include "style/GlassModifier.h"

#include <QList>

// The System screen's "Storage" card: the home volume's used and free space as a bar and two
// sizes, then, when any folder was measured, the ring of categories and one legend row each.
class StorageCard : public GlassModifier {
    Q_OBJECT
public:
    StorageCard(qint64 totalStorage, qint64 usedStorage, qint64 freeStorage,
                const QList<StorageCategory>& categories, QWidget* parent = nullptr);

    // A category's share of all shown sizes in whole percent, truncated.
    static int percentOf(qint64 size, double total);

private:
    QWidget* categoryRow(const StorageCategory& category, double total);
};
