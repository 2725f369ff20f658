#pragma once

#include <QColor>
#include <QString>
#include <QUuid>

// One slice of the Storage card's breakdown: a measured folder, or "Other" for the rest.
struct StorageCategory {
    QUuid id;
    QString name;
    // Bytes, at least 1.
    qint64 size = 0;
    QColor color;
};
