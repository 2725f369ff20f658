#pragma once

#include <QString>
#include <QStringList>
#include <QUuid>

// One application, folder or file a disk scan found. Every record made gets a new id, so a
// rescan gives the same file a new one.
struct FileItem {
    QUuid id;
    // The text shown for the item.
    QString name;
    QString path;
    qint64 size = 0;
    QString sizeFormatted;
    // "app", "folder", "file", "video", "image", "cache" or "cleanup".
    QString type;
    // Days since the last modification; 0 for the kinds that do not measure it.
    double daysSinceAccess = 0;
    QStringList reasons;
    bool recommended = false;

    bool operator==(const FileItem&) const = default;

    static FileItem make(const QString& name, const QString& path, qint64 size, const QString& type,
                         double daysSinceAccess = 0, const QStringList& reasons = {}, bool recommended = false);
    // The identifiers of a list, in its order.
    static QList<QUuid> ids(const QList<FileItem>& items);
};
