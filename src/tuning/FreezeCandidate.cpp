#include "FreezeCandidate.h"

QString FreezeCandidate::makeID(const QString& bundleIdentifier, const QString& name)
{
    return (bundleIdentifier.isEmpty() ? name : bundleIdentifier) + u'|' + name;
}

QString FreezeCandidate::riskText(Risk risk)
{
    return risk == Risk::Safe ? QStringLiteral("Safe") : QStringLiteral("Review");
}

QString FreezeCandidate::reasonFor(Risk risk, const QString& name)
{
    if (risk == Risk::Safe)
        return name + QStringLiteral(" can usually pause during gameplay and resume when you switch away.");
    return QStringLiteral("Review first. Freezing this can pause audio, chat, downloads, or browser activity.");
}
