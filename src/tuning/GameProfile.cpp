#include "GameProfile.h"

#include "JsonInteger.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace {

std::optional<QStringList> stringArray(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    QStringList strings;
    for (const QJsonValue& item : value.toArray()) {
        if (!item.isString())
            return std::nullopt;
        strings.append(item.toString());
    }
    return strings;
}

} // namespace

bool GameProfile::matches(const QString& name, const QString& bundleIdentifier) const
{
    if (!bundleIdentifier.isEmpty() && bundleIDs.contains(bundleIdentifier))
        return true;
    return std::any_of(processNames.cbegin(), processNames.cend(), [&name](const QString& fragment) {
        return !fragment.isEmpty() && name.contains(fragment, Qt::CaseInsensitive);
    });
}

QJsonObject GameProfile::toJson() const
{
    return {
        {"id", id},
        {"name", name},
        {"bundleIDs", QJsonArray::fromStringList(bundleIDs)},
        {"processNames", QJsonArray::fromStringList(processNames)},
        {"iconName", iconName},
        {"frameLimit", frameLimit},
        {"enableAntiShut", enableAntiShut},
        {"enableFocusMode", enableFocusMode},
        {"boostPriority", boostPriority},
        {"autoActivateGameMode", autoActivateGameMode},
    };
}

std::optional<GameProfile> GameProfile::fromJson(const QJsonObject& object)
{
    const auto text = [&object](const char* key) -> std::optional<QString> {
        const QJsonValue value = object.value(QLatin1String(key));
        return value.isString() ? std::optional(value.toString()) : std::nullopt;
    };
    const auto flag = [&object](const char* key) -> std::optional<bool> {
        const QJsonValue value = object.value(QLatin1String(key));
        return value.isBool() ? std::optional(value.toBool()) : std::nullopt;
    };
    const auto id = text("id");
    const auto name = text("name");
    const auto bundleIDs = stringArray(object.value("bundleIDs"));
    const auto processNames = stringArray(object.value("processNames"));
    const auto iconName = text("iconName");
    const auto frameLimit = JsonInteger::wholeNumber(object.value("frameLimit"));
    const auto antiShut = flag("enableAntiShut");
    const auto focusMode = flag("enableFocusMode");
    const auto boost = flag("boostPriority");
    const auto gameMode = flag("autoActivateGameMode");
    if (!id || !name || !bundleIDs || !processNames || !iconName || !frameLimit || !antiShut || !focusMode || !boost
        || !gameMode)
        return std::nullopt;
    return GameProfile{*id,        *name,     *bundleIDs, *processNames, *iconName,
                       *frameLimit, *antiShut, *focusMode, *boost,        *gameMode};
}

QByteArray GameProfile::encodeList(const QList<GameProfile>& profiles)
{
    QJsonArray array;
    for (const GameProfile& profile : profiles)
        array.append(profile.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<GameProfile>> GameProfile::decodeList(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<GameProfile> profiles;
    for (const QJsonValue& item : document.array()) {
        const auto profile = item.isObject() ? fromJson(item.toObject()) : std::nullopt;
        if (!profile)
            return std::nullopt;
        profiles.append(*profile);
    }
    return profiles;
}
