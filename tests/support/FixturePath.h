#pragma once

#include <QString>

// A file or folder under tests/fixtures (fake /proc and /sys trees, data files).
inline QString fixturePath(const QString& relative)
{
    return QStringLiteral(QT_TESTCASE_SOURCEDIR "/fixtures/") + relative;
}
