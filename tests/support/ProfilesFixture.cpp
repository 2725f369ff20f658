#include "ProfilesFixture.h"

#include "FakePlatform.h"
#include "app/ContentView.h"
#include "screens/profiles/BackgroundFreezeView.h"
#include "screens/profiles/GameProfilesView.h"
#include "screens/profiles/PresetCard.h"
#include "style/SymbolButton.h"
#include "tuning/GameProfileManager.h"

#include "AtomicFile.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTest>

QList<GameProfile> ProfilesFixture::customProfiles()
{
    return {
        GameProfile{"5D1E9A70-1C8B-4E55-9F0B-7A4C2E6D1B11", "Hollow Knight", {}, {"Hollow Knight"}, "gamecontroller",
                    144, true, true, true, false},
        GameProfile{"0B6F3C2A-8D4E-4A1F-B2C3-9E8D7F6A5B44", "Celeste", {}, {"Celeste"}, "gamecontroller", 0, true,
                    false, false, false},
    };
}

QStringList ProfilesFixture::backgroundNames()
{
    return {"Dropbox",       "Google Drive", "OneDrive", "Creative Cloud", "Setapp",  "MEGAsync",
            "Box Drive",     "Time Backup",  "Discord",  "Google Chrome",  "Spotify", "Slack"};
}

QStringList ProfilesFixture::selectedNames()
{
    return {"Dropbox", "Google Drive", "Discord"};
}

void ProfilesFixture::writeBundle(const QString& folder, const QString& name, const QString& bundleIdentifier)
{
    const QString contents = folder + '/' + name + ".app/Contents";
    QDir().mkpath(contents);
    AtomicFile::write(contents + "/Info.plist",
                      R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict><key>CFBundleIdentifier</key><string>)"
                          + bundleIdentifier.toUtf8() + "</string></dict></plist>");
}

void ProfilesFixture::fill(FakePlatform& platform)
{
    QDir().mkpath(platform.appSupportDirectory());
    AtomicFile::write(platform.appSupportDirectory() + "/game_profiles.json",
                      GameProfile::encodeList(GameProfileManager::presets() + customProfiles()));
    const QString applications = QDir::homePath() + "/Applications";
    writeBundle(applications, "Minecraft", "com.mojang.minecraft");
    writeBundle(applications, "Steam", "com.valve.steam");
    writeBundle(applications, "World of Warcraft", "com.blizzard.worldofwarcraft");

    FakeWorkspace& workspace = *platform.workspace;
    workspace.add(FakeWorkspace::application(gamePid, "Minecraft", "com.mojang.minecraft"));
    workspace.setFrontmost(gamePid);
    qint32 pid = firstBackgroundPid;
    for (const QString& name : backgroundNames()) {
        const RunningApplication app = FakeWorkspace::application(pid++, name);
        workspace.add(app);
        // Only Dropbox is a process of this user that may be paused.
        if (name == "Dropbox")
            platform.processControl->add(app.processIdentifier, app.startTime);
    }
    QStringList selection;
    for (const QString& name : selectedNames())
        selection.append(FreezeCandidate::makeID({}, name));
    platform.defaults.setValue(FocusFreezeManager::selectedCandidatesKey, selection);
}

void ProfilesFixture::prepare(ContentView& content, const QString& state)
{
    if (state == noProfile)
        return;
    GameProfileManager& profiles = content.gameProfileManager();
    if (const auto minecraft = profiles.profile("minecraft"))
        profiles.applyProfile(*minecraft, content.optimizer());
}

void ProfilesFixture::stage(QWidget& screen, const QString& state)
{
    if (auto* freeze = qobject_cast<BackgroundFreezeView*>(&screen)) {
        if (state != noProfile)
            freeze->freezeManager().setEnabled(true);
        return;
    }
    auto* profiles = qobject_cast<GameProfilesView*>(&screen);
    if (!profiles)
        return;
    if (state == editPreset) {
        for (PresetCard* card : profiles->findChildren<PresetCard*>()) {
            if (card->profileID() == "minecraft")
                card->gear()->click();
        }
    } else if (state == addGame) {
        profiles->findChild<QAbstractButton*>("addCustomGameButton")->click();
    }
}
