#include "CleanupCategories.h"

#include "ScanEnvironment.h"

#include <algorithm>

namespace {

using Tint = CleanupCategoryDescriptor::Tint;

enum Category { appCaches, logFiles, temporaryFiles, downloadArtifacts, staleFiles, otherReview };

} // namespace

const QList<CleanupCategoryDescriptor>& CleanupCategories::table()
{
    static const QList<CleanupCategoryDescriptor> categories{
        {"App Caches", "Usually safe to remove; apps rebuild caches when needed.", "shippingbox", Tint::neonCyan,
         CleanupSafety::safe},
        {"Log Files", "Old app logs are safe cleanup targets.", "doc.text", Tint::neonPurple, CleanupSafety::safe},
        {"Temporary Files", "Temporary files are safe when apps are closed.", "clock.arrow.circlepath", Tint::neonGreen,
         CleanupSafety::safe},
        {"Download Artifacts", "Review first; downloads can include files you still want.", "arrow.down.circle",
         Tint::systemOrange, CleanupSafety::review},
        {"Stale Files", "Review first; these are old but may still matter.", "calendar.badge.clock", Tint::systemYellow,
         CleanupSafety::review},
        {"Other Review", "Inspect these before cleaning.", "exclamationmark.triangle", Tint::white50,
         CleanupSafety::careful},
    };
    return categories;
}

QStringList CleanupCategories::categoryOrder()
{
    QStringList names;
    for (const CleanupCategoryDescriptor& category : table())
        names << category.name;
    return names;
}

const CleanupCategoryDescriptor& CleanupCategories::cleanupDescriptor(const FileItem& item, const QString& home)
{
    const QString reasons = item.reasons.join(u' ').toLower();
    const QString kind = item.type.toLower();
    const bool inHome = home.size() > 1 && ScanEnvironment::isInside(item.path, home);
    const QString path = (inHome ? item.path.mid(home.size()) : item.path).toLower();
    const auto category = [&]() -> Category {
        if (reasons.contains("cache") || kind == "cache" || path.contains("/library/caches/"))
            return appCaches;
        if (reasons.contains("log") || path.contains("/library/logs/"))
            return logFiles;
        if (reasons.contains("temp") || path.contains("/tmp/"))
            return temporaryFiles;
        if (reasons.contains("download") || path.contains("/downloads/"))
            return downloadArtifacts;
        if (reasons.contains("unused") || reasons.contains("day") || reasons.contains("stale"))
            return staleFiles;
        return otherReview;
    };
    return table()[category()];
}

QList<CleanupPreviewCategory> CleanupCategories::makePreviewCategories(const QList<FileItem>& recommendations,
                                                                      const QString& home)
{
    QList<CleanupPreviewCategory> categories;
    for (const FileItem& item : recommendations) {
        const CleanupCategoryDescriptor& descriptor = cleanupDescriptor(item, home);
        auto group = std::find_if(categories.begin(), categories.end(),
                                  [&](const CleanupPreviewCategory& c) { return c.id == descriptor.name; });
        if (group == categories.end()) {
            categories.append({descriptor.name, descriptor.name, descriptor.reason, descriptor.icon, descriptor.color,
                               descriptor.safety, 0, 0, {}});
            group = categories.end() - 1;
        }
        ++group->count;
        group->size += item.size;
        group->itemIDs.append(item.id);
    }
    std::stable_sort(categories.begin(), categories.end(), categoryOrderComparator);
    return categories;
}

bool CleanupCategories::categoryOrderComparator(const CleanupPreviewCategory& first,
                                                const CleanupPreviewCategory& second)
{
    const QStringList order = categoryOrder();
    const auto rank = [&](const QString& name) {
        const qsizetype at = order.indexOf(name);
        return at < 0 ? order.size() : at;
    };
    return rank(first.name) < rank(second.name);
}

CleanupCategories::Selection CleanupCategories::safeItems(const QList<FileItem>& recommendations, const QString& home)
{
    Selection selection;
    for (const FileItem& item : recommendations) {
        if (cleanupDescriptor(item, home).safety == CleanupSafety::safe)
            selection.insert(item.id);
    }
    return selection;
}

void CleanupCategories::toggleCategory(Selection& selection, const CleanupPreviewCategory& category)
{
    if (selectedCount(category, selection) == category.itemIDs.size()) {
        for (const QUuid& id : category.itemIDs)
            selection.remove(id);
    } else {
        for (const QUuid& id : category.itemIDs)
            selection.insert(id);
    }
}

int CleanupCategories::selectedCount(const CleanupPreviewCategory& category, const Selection& selection)
{
    return int(std::count_if(category.itemIDs.begin(), category.itemIDs.end(),
                             [&](const QUuid& id) { return selection.contains(id); }));
}

qint64 CleanupCategories::selectedSize(const QList<FileItem>& recommendations, const Selection& selection)
{
    qint64 size = 0;
    for (const FileItem& item : recommendations) {
        if (selection.contains(item.id))
            size += item.size;
    }
    return size;
}

qint64 CleanupCategories::totalSize(const QList<FileItem>& recommendations)
{
    qint64 size = 0;
    for (const FileItem& item : recommendations)
        size += item.size;
    return size;
}
