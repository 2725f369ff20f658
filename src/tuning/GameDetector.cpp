#include "GameDetector.h"

#include <QCollator>
#include <algorithm>

const QStringList& GameDetector::gameKeywords()
{
    static const QStringList keywords = {
        "steam",        "epic",      "battle.net", "minecraft",         "roblox",
        "league",       "valorant",  "dota",       "counter-strike",    "cs2",
        "fortnite",     "genshin",   "hoyoplay",   "unity",             "unreal",
        "game",         "launcher",  "world of warcraft", "overwatch",  "apex legends",
        "call of duty", "cyberpunk", "witcher",    "elden ring",        "red dead",
        "grand theft",  "fifa",      "madden",     "nba",               "rockstargames",
    };
    return keywords;
}

bool GameDetector::isGame(const QString& name, const QString& bundleIdentifier)
{
    const QString text = (name + ' ' + bundleIdentifier).toLower();
    const QStringList& keywords = gameKeywords();
    return std::any_of(keywords.cbegin(), keywords.cend(),
                       [&text](const QString& keyword) { return text.contains(keyword); });
}

QList<RunningAppInfo> GameDetector::gamesAmong(const QList<RunningApplication>& applications)
{
    QList<RunningAppInfo> games;
    for (const RunningApplication& application : applications) {
        if (application.activationPolicy != RunningApplication::ActivationPolicy::Regular
            || application.isTerminated || application.localizedName.isEmpty()
            || application.processIdentifier < 1
            || !isGame(application.localizedName, application.bundleIdentifier))
            continue;
        games.append({application.processIdentifier, application.localizedName, application.bundleIdentifier});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(games.begin(), games.end(), [&collator](const RunningAppInfo& a, const RunningAppInfo& b) {
        return collator.compare(a.name, b.name) < 0;
    });
    return games;
}
