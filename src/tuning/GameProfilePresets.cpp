#include "GameProfilePresets.h"

namespace {

GameProfile preset(const char* id, const char* name, const char* bundleID, QStringList processNames,
                   const char* iconName, qint64 frameLimit, bool antiShut, bool focusMode, bool boost,
                   bool autoGameMode)
{
    return GameProfile{QString::fromUtf8(id),       QString::fromUtf8(name),
                       {QString::fromUtf8(bundleID)}, std::move(processNames),
                       QString::fromUtf8(iconName), frameLimit,
                       antiShut,                    focusMode,
                       boost,                       autoGameMode};
}

} // namespace

const QList<GameProfile>& GameProfilePresets::all()
{
    static const QList<GameProfile> presets = {
        preset("minecraft", "Minecraft", "com.mojang.minecraft", {"Minecraft"}, "cube", 120, true, false, false, false),
        preset("cyberpunk", "Cyberpunk 2077", "com.cdprojektred.cyberpunk2077", {"Cyberpunk 2077"},
               "bolt.trianglebadge.exclamationmark", 60, true, true, true, true),
        preset("re4", "Resident Evil 4", "com.capcom.residentevil4", {"RE4"}, "figure.arms.open", 60, true, true,
               true, true),
        preset("re7", "Resident Evil 7", "com.capcom.residentevil7", {"RE7"}, "figure.arms.open", 60, true, true,
               true, true),
        preset("re8", "Resident Evil Village", "com.capcom.residentevillage", {"RE8"}, "figure.arms.open", 60, true,
               true, true, true),
        preset("bg3", "Baldur's Gate 3", "com.larian.baldursgate3", {"Baldur's Gate 3"}, "shield", 60, true, false,
               true, true),
        preset("wow", "World of Warcraft", "com.blizzard.worldofwarcraft", {"World of Warcraft"}, "globe", 144, true,
               true, false, false),
        preset("lol", "League of Legends", "com.riotgames.leagueoflegends", {"League of Legends"}, "flag", 144, true,
               true, false, false),
        preset("steam", "Steam", "com.valve.steam", {"Steam", "Steam Helper"}, "cloud", 0, false, false, false, false),
        preset("ds", "Death Stranding", "com.koeitecmo.deathstranding", {"Death Stranding"}, "person.fill", 60, true,
               true, true, true),
        preset("nms", "No Man's Sky", "com.hellogames.nomanssky", {"No Man's Sky"}, "sparkle", 60, true, false, false,
               false),
        preset("liesofp", "Lies of P", "com.neowiz.liesofp", {"Lies of P"}, "figure.fencing", 60, true, true, true,
               true),
    };
    return presets;
}

QSet<QString> GameProfilePresets::ids()
{
    QSet<QString> ids;
    for (const GameProfile& profile : all())
        ids.insert(profile.id);
    return ids;
}

QSet<QString> GameProfilePresets::bundleIDs()
{
    QSet<QString> bundles;
    for (const GameProfile& profile : all()) {
        for (const QString& bundle : profile.bundleIDs)
            bundles.insert(bundle);
    }
    return bundles;
}
