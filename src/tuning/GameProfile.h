#pragma once

#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <optional>

// One game as the tuning engine knows it: how to recognise its running application and which
// tunings to apply while it runs.
struct GameProfile {
    QString id;
    QString name;
    // Matched exactly.
    QStringList bundleIDs;
    // Fragments matched inside an application's name, ignoring case.
    QStringList processNames;
    QString iconName;
    // Frames per second of the global frame limit; below 1 means none.
    qint64 frameLimit = 0;
    bool enableAntiShut = false;
    bool enableFocusMode = false;
    bool boostPriority = false;
    bool autoActivateGameMode = false;

    // An application belongs to the profile when its bundle identifier is one of bundleIDs, or else
    // its name contains one of processNames without regard to case. Empty entries match nothing:
    // most applications have no bundle identifier, and every name contains the empty text.
    bool matches(const QString& name, const QString& bundleIdentifier) const;

    // Every field under its own name; reading needs all ten with their types and ignores other keys.
    QJsonObject toJson() const;
    static std::optional<GameProfile> fromJson(const QJsonObject& object);

    // A JSON array of profiles, in list order; a list decodes only when every element does.
    static QByteArray encodeList(const QList<GameProfile>& profiles);
    static std::optional<QList<GameProfile>> decodeList(const QByteArray& json);

    friend bool operator==(const GameProfile&, const GameProfile&) = default;
};

Q_DECLARE_METATYPE(GameProfile)
