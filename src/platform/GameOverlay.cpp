#include "GameOverlay.h"

#include <QRegularExpression>

std::optional<qint64> GameOverlay::parseLimit(const QString& text)
{
    static const QRegularExpression wholeNumber(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    const QString trimmed = text.trimmed();
    if (!wholeNumber.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 limit = trimmed.toLongLong(&ok);
    if (!ok || limit < 1)
        return std::nullopt;
    return limit;
}

GameOverlay::HUDWrites GameOverlay::writeHUDs(const QStringList& bundleIdentifiers, bool enabled)
{
    HUDWrites writes;
    for (const QString& bundleIdentifier : bundleIdentifiers)
        writes.games.append(writeHUD(bundleIdentifier, enabled));
    return writes;
}
