#include "FileItem.h"

#include "DiskScanner.h"

FileItem FileItem::make(const QString& name, const QString& path, qint64 size, const QString& type,
                        double daysSinceAccess, const QStringList& reasons, bool recommended)
{
    return {QUuid::createUuid(), name, path, size, DiskScanner::formatSize(size), type, daysSinceAccess, reasons,
            recommended};
}

QList<QUuid> FileItem::ids(const QList<FileItem>& items)
{
    QList<QUuid> result;
    result.reserve(items.size());
    for (const FileItem& item : items)
        result.append(item.id);
    return result;
}
