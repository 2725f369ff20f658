#pragma once

#include "RunningAppInfo.h"
#include "RunningApplication.h"

#include <QList>
#include <QStringList>

// Tells games from other applications by keywords in their name and bundle identifier.
class GameDetector {
public:
    // Lower case; compared in this order.
    static const QStringList& gameKeywords();

    // The name, a blank and the bundle identifier, lower-cased, contain one of the keywords.
    static bool isGame(const QString& name, const QString& bundleIdentifier);

    // The regular, named, running applications that are games, ordered by name without regard to
    // case; applications of equal names keep the given order.
    static QList<RunningAppInfo> gamesAmong(const QList<RunningApplication>& applications);
};
