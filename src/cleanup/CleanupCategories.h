#pragma once

#include "CleanupCategoryDescriptor.h"
#include "CleanupPreviewCategory.h"
#include "FileItem.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <QUuid>

// The six cleanup categories, the classifier that puts every recommendation into one of them, the
// preview's grouping, and the selection rules that rest on the categories' safety. Pure functions.
namespace CleanupCategories {

using Selection = QSet<QUuid>;

// In preview order: App Caches, Log Files, Temporary Files, Download Artifacts, Stale Files,
// Other Review.
const QList<CleanupCategoryDescriptor>& table();
QStringList categoryOrder();

// Total: Other Review when no test holds. The tests on the path look only at the part below the
// home folder when the item lies in it, so a home folder that lies under a folder named tmp or
// Downloads does not make everything in it temporary or a download.
const CleanupCategoryDescriptor& cleanupDescriptor(const FileItem& item, const QString& home = {});
// Only categories that received an item, in category order whatever their sizes.
QList<CleanupPreviewCategory> makePreviewCategories(const QList<FileItem>& recommendations,
                                                    const QString& home = {});
bool categoryOrderComparator(const CleanupPreviewCategory& first, const CleanupPreviewCategory& second);

// The identifiers of the safe items: the selection after a scan and after "Safe Only".
Selection safeItems(const QList<FileItem>& recommendations, const QString& home = {});
// Selects the whole category, or deselects it when it is wholly selected already.
void toggleCategory(Selection& selection, const CleanupPreviewCategory& category);
int selectedCount(const CleanupPreviewCategory& category, const Selection& selection);
// Identifiers that match no current recommendation add nothing.
qint64 selectedSize(const QList<FileItem>& recommendations, const Selection& selection);
qint64 totalSize(const QList<FileItem>& recommendations);

} // namespace CleanupCategories
