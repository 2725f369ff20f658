#include "ByteSize.h"

QString ByteSize::format(qint64 bytes, int decimals)
{
    static const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    return QString::number(value, 'f', decimals) + u' ' + QLatin1String(units[unit]);
}
