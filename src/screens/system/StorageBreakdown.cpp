#include "StorageBreakdown.h"

#include "ByteSize.h"
#include "style/Color.h"

#include <QHash>

QList<StorageCategory>
StorageBreakdown::buildStorageCategories(const QList<std::pair<QString, qint64>>& folderSizes,
                                         qint64 usedBytes)
{
    QList<StorageCategory> categories;
    qint64 remaining = usedBytes;
    for (const auto& [name, size] : folderSizes) {
        if (size < 1)
            continue;
        categories.append({QUuid::createUuid(), name, size, categoryColor(name)});
        remaining -= size;
    }
    if (remaining > otherThreshold)
        categories.append({QUuid::createUuid(), QStringLiteral("Other"), remaining, categoryColor("Other")});
    return categories;
}

QColor StorageBreakdown::categoryColor(const QString& name)
{
    static const QHash<QString, QColor> colors = {
        {"Applications", Color::neonCyan()}, {"System Cache", Color::neonPurple()},
        {"Logs", Color::neonGreen()},        {"Downloads", Color::systemOrange()},
        {"Desktop", Color::systemBlue()},    {"Documents", QColor::fromRgbF(0.3f, 0.8f, 0.6f)},
        {"Movies", Color::systemRed()},      {"Videos", Color::systemRed()},
        {"Music", Color::systemPink()},      {"Pictures", Color::systemYellow()}};
    QColor other = Color::systemGray();
    other.setAlphaF(0.5f);
    return colors.value(name, other);
}

QString StorageBreakdown::formatBytes(qint64 bytes)
{
    return ByteSize::format(bytes, 1);
}

double StorageBreakdown::usedFraction(qint64 totalBytes, qint64 usedBytes)
{
    return totalBytes < 1 ? 0.0 : double(usedBytes) / double(totalBytes);
}
