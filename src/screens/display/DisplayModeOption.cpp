#include "DisplayModeOption.h"

DisplayModeOption DisplayModeOption::make(const DisplayMode& mode, bool isCurrent)
{
    return {QUuid::createUuid(), mode, mode.width, mode.height, mode.refreshRate, isCurrent, mode.hiDPI};
}

QString DisplayModeOption::label() const
{
    if (hiDPI)
        return QStringLiteral("%1 x %2").arg(width / 2).arg(height / 2);
    if (refreshRate > 0)
        return QStringLiteral("%1 x %2 @ %3Hz").arg(width).arg(height).arg(qint64(refreshRate));
    return QStringLiteral("%1 x %2").arg(width).arg(height);
}
