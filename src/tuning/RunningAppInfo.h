#pragma once

#include <QHashFunctions>
#include <QString>

// One detected game process.
struct RunningAppInfo {
    // The process identifier, always 1 or more.
    qint32 id = 0;
    QString name;
    // "" when the application has none.
    QString bundleIdentifier;

    friend bool operator==(const RunningAppInfo&, const RunningAppInfo&) = default;
};

inline size_t qHash(const RunningAppInfo& info, size_t salt = 0)
{
    return qHashMulti(salt, info.id, info.name, info.bundleIdentifier);
}
