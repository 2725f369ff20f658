#include "FreezeRules.h"

#include "SessionProcesses.h"

#include <QFileInfo>
#include <algorithm>

const QStringList& FreezeRules::excludedNames()
{
    static const QStringList names = {
        "Quillmarsh",         "Finder",   "Dock",  "WindowServer", "loginwindow",
        "SystemUIServer",     "Control Center",    "NotificationCenter", "Spotlight",
        "Siri",               "CoreServicesUIAgent", "Terminal", "iTerm2", "Activity Monitor",
        "Xcode",
    };
    return names;
}

const QStringList& FreezeRules::safeKeywords()
{
    static const QStringList keywords = {
        "Google Drive", "Dropbox", "OneDrive", "Creative Cloud", "Adobe", "Updater", "Update",
        "Helper",       "Sync",    "Backup",   "Box",            "Mega",  "Setapp",
    };
    return keywords;
}

const QStringList& FreezeRules::reviewKeywords()
{
    static const QStringList keywords = {
        "Chrome", "Safari", "Firefox", "Arc", "Brave", "Edge", "Discord", "Spotify", "Slack", "Teams", "Telegram", "Steam",
    };
    return keywords;
}

bool FreezeRules::containsAny(const QString& text, const QStringList& fragments)
{
    return std::any_of(fragments.cbegin(), fragments.cend(),
                       [&text](const QString& fragment) { return text.contains(fragment, Qt::CaseInsensitive); });
}

std::optional<FreezeCandidate::Risk> FreezeRules::classifyRisk(const QString& name, const QString& bundleIdentifier)
{
    const QString text = name + u' ' + bundleIdentifier;
    if (containsAny(text, safeKeywords()))
        return FreezeCandidate::Risk::Safe;
    if (containsAny(text, reviewKeywords()))
        return FreezeCandidate::Risk::Review;
    return std::nullopt;
}

QString FreezeRules::nameOf(const RunningApplication& application)
{
    if (!application.localizedName.isEmpty())
        return application.localizedName;
    return QFileInfo(application.executableLocation).completeBaseName();
}

std::optional<FreezeCandidate> FreezeRules::makeCandidate(const RunningApplication& application, const Context& context)
{
    if (application.processIdentifier < 1 || application.processIdentifier == context.ownProcessIdentifier
        || application.isTerminated)
        return std::nullopt;
    if (application.activationPolicy == RunningApplication::ActivationPolicy::Prohibited)
        return std::nullopt;
    if (SessionProcesses::contains(application.executableLocation))
        return std::nullopt;
    const QString name = nameOf(application);
    const QString& bundle = application.bundleIdentifier;
    if (name.isEmpty() || containsAny(name, excludedNames()))
        return std::nullopt;
    if (!context.ownBundleIdentifier.isEmpty() && bundle == context.ownBundleIdentifier)
        return std::nullopt;
    if (context.profile && context.profile->matches(application.localizedName, bundle))
        return std::nullopt;
    const auto risk = classifyRisk(name, bundle);
    if (!risk)
        return std::nullopt;
    return FreezeCandidate{FreezeCandidate::makeID(bundle, name),
                           name,
                           bundle,
                           application.processIdentifier,
                           application.startTime,
                           *risk,
                           FreezeCandidate::reasonFor(*risk, name)};
}

bool FreezeRules::isProtected(const FreezeCandidate& candidate, const Context& context)
{
    if (candidate.processIdentifier == context.ownProcessIdentifier)
        return true;
    if (!context.ownBundleIdentifier.isEmpty() && candidate.bundleIdentifier == context.ownBundleIdentifier)
        return true;
    if (containsAny(candidate.name, excludedNames()))
        return true;
    if (!context.profile)
        return false;
    return std::any_of(context.profile->processNames.cbegin(), context.profile->processNames.cend(),
                       [&candidate](const QString& fragment) {
                           return !fragment.isEmpty() && candidate.name.contains(fragment, Qt::CaseInsensitive);
                       })
           || context.profile->bundleIDs.contains(candidate.bundleIdentifier);
}

