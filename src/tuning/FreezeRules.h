#pragma once

#include "FreezeCandidate.h"
#include "GameProfile.h"

#include "RunningApplication.h"

#include <QStringList>
#include <optional>

// Which running applications Background Freeze may offer and pause, and how risky each is.
// All name tests are case-insensitive containment tests.
class FreezeRules {
public:
    // Who asks: this process, and the game that must keep running.
    struct Context {
        qint32 ownProcessIdentifier = 0;
        // Empty when unknown.
        QString ownBundleIdentifier;
        std::optional<GameProfile> profile;
    };

    // Applications never offered or paused.
    static const QStringList& excludedNames();
    // A hit makes a candidate Safe; tested first.
    static const QStringList& safeKeywords();
    // A hit makes a candidate Review; tested when no safe keyword hits.
    static const QStringList& reviewKeywords();

    // Safe or Review by the keywords in the name, a blank and the bundle identifier; nothing when
    // neither table hits.
    static std::optional<FreezeCandidate::Risk> classifyRisk(const QString& name, const QString& bundleIdentifier);
    // The name as candidates carry it: the application's own, else its executable's file name
    // without extension, else empty.
    static QString nameOf(const RunningApplication& application);
    // A candidate for an ordinary (or accessory) application of the user that is not this process,
    // not a program of the desktop session, not excluded, not the profile's game and hits a keyword.
    static std::optional<FreezeCandidate> makeCandidate(const RunningApplication& application, const Context& context);
    // Whether the candidate must not be paused now: this process, this application, an excluded
    // name, or the profile's game.
    static bool isProtected(const FreezeCandidate& candidate, const Context& context);

private:
    static bool containsAny(const QString& text, const QStringList& fragments);
};
