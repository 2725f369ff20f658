#pragma once

#include <QString>

// A byte count as people read it: divided by 1024 while it is at least 1024, at most four times,
// with the unit "B", "KB", "MB", "GB" or "TB" after the number.
class ByteSize {
public:
    static QString format(qint64 bytes, int decimals);
};
