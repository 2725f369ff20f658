#pragma once

#include "tuning/GameProfile.h"

#include <QList>
#include <QString>

class ContentView;
struct FakePlatform;
class QWidget;

// An imagined player for the profile screens: two custom profiles next to the presets, three
// installed games, and twelve background applications (eight Safe, four Review) running while
// Minecraft is in front, of which Dropbox, Google Drive and Discord are selected and only Dropbox
// may really be paused.
class ProfilesFixture {
public:
    static constexpr qint32 gamePid = 100;
    static constexpr qint32 firstBackgroundPid = 200;
    // What a render shows besides the usual: no applied profile, or one of the two editor sheets.
    static inline const QString noProfile = QStringLiteral("no-profile");
    static inline const QString editPreset = QStringLiteral("edit-preset");
    static inline const QString addGame = QStringLiteral("add-game");
    static QStringList states() { return {noProfile, editPreset, addGame}; }
    // The screens this fixture is for.
    static QStringList screens() { return {QStringLiteral("Game Profiles"), QStringLiteral("Background Freeze")}; }

    static QList<GameProfile> customProfiles();
    static QStringList backgroundNames();
    static QStringList selectedNames();

    // An application bundle in `folder` that the installed-games scan recognises.
    static void writeBundle(const QString& folder, const QString& name, const QString& bundleIdentifier);

    // Writes the files and sets the fakes; before the root view is made.
    static void fill(FakePlatform& platform);
    // Applies Minecraft's profile unless the state says otherwise; before the screen is made.
    static void prepare(ContentView& content, const QString& state);
    // Brings the shown screen into the state: Background Freeze switched on (unless no profile is
    // applied), or an editor's sheet opened.
    static void stage(QWidget& screen, const QString& state);
};
