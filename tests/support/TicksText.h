#pragma once

#include "HostStatistics.h"

#include <QStringList>

// Processor ticks written compactly for test tables: "user system nice idle" per processor,
// processors separated by "|" ("10 0 0 90 | 5 5 0 90").
inline QList<ProcessorTicks> ticksFromText(const QString& text)
{
    QList<ProcessorTicks> processors;
    for (const QString& processor : text.split(u'|', Qt::SkipEmptyParts)) {
        const QStringList counters = processor.split(u' ', Qt::SkipEmptyParts);
        Q_ASSERT(counters.size() == 4);
        processors.append({counters[0].toULongLong(), counters[1].toULongLong(), counters[3].toULongLong(),
                           counters[2].toULongLong()});
    }
    return processors;
}
