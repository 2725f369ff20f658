#include "ApplicationBundle.h"
#include "OptimizerFixture.h"
#include "TestMain.h"
#include "tuning/GameProfileManager.h"
#include "tuning/GameProfilePresets.h"
#include "tuning/InstalledGameScanner.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

using Text = std::optional<QString>;

QStringList idsOf(const QList<GameProfile>& profiles)
{
    QStringList ids;
    for (const GameProfile& profile : profiles)
        ids.append(profile.id);
    return ids;
}

QStringList presetIds()
{
    return idsOf(GameProfilePresets::all());
}

GameProfile custom(const QString& id, const QString& name = "Hades")
{
    return GameProfile{id, name, {"com.supergiant.hades"}, {name}, "flame", 90, true, false, false, false};
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray plist(const QString& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n"
           + body.toUtf8() + "\n</plist>\n";
}

QByteArray infoFor(const QString& bundleID)
{
    return plist("<dict>\n  <key>CFBundleName</key>\n  <string>X</string>\n  <key>CFBundleIdentifier</key>\n"
                 "  <string>" + bundleID + "</string>\n</dict>");
}

void makeBundle(const QString& path, const std::optional<QByteArray>& info)
{
    QDir().mkpath(path + "/Contents/MacOS");
    if (info)
        writeFile(path + "/Contents/Info.plist", *info);
}

// A manager over its own profiles file, scanning nothing unless told.
struct ManagerFixture {
    QTemporaryDir dir;
    OptimizerFixture optimizer;
    QString path() const { return dir.filePath("support/game_profiles.json"); }

    std::unique_ptr<GameProfileManager> make(QStringList folders = {})
    {
        if (folders.isEmpty())
            folders = {dir.filePath("no-such-folder")};
        QDir().mkpath(dir.filePath("support"));
        auto manager = std::make_unique<GameProfileManager>(optimizer.workspace,
                                                            GameProfileManager::Options{path(), folders});
        WorkQueues::drain();
        QCoreApplication::processEvents();
        return manager;
    }
};

} // namespace

class TestGameProfileManager : public QObject {
    Q_OBJECT
private slots:
    void load_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("file");
        QTest::addColumn<QStringList>("ids");

        const QStringList presets = presetIds();
        QTest::newRow("no file") << std::optional<QByteArray>() << presets;
        QTest::newRow("empty file") << std::optional<QByteArray>("") << presets;
        QTest::newRow("malformed JSON") << std::optional<QByteArray>("[{\"id\": \"a\"") << presets;
        QJsonObject incomplete = custom("mine").toJson();
        incomplete.remove("boostPriority");
        QTest::newRow("one object without boostPriority")
            << std::optional(QJsonDocument(QJsonArray{custom("ok").toJson(), incomplete}).toJson()) << presets;
        QTest::newRow("an empty array") << std::optional<QByteArray>("[]") << QStringList{};
        QTest::newRow("the user's own profiles")
            << std::optional(GameProfile::encodeList({custom("b"), GameProfilePresets::all().at(2), custom("a")}))
            << QStringList{"b", "re4", "a"};
    }

    void load()
    {
        QFETCH(std::optional<QByteArray>, file);
        QFETCH(QStringList, ids);

        ManagerFixture f;
        if (file)
            writeFile(f.path(), *file);
        const auto manager = f.make();
        QCOMPARE(idsOf(manager->profiles()), ids);
        QCOMPARE(manager->presetIDs(), GameProfilePresets::ids());
        // Loading never writes.
        QCOMPARE(QFile::exists(f.path()), file.has_value());
        if (file)
            QCOMPARE(readFile(f.path()), *file);
        QCOMPARE(QDir(f.dir.filePath("support")).entryList(QDir::Files).size(), file ? 1 : 0);
    }

    void theFirstChangeWritesEveryProfile()
    {
        ManagerFixture f;
        auto manager = f.make();
        GameProfile steam = *manager->profile("steam");
        steam.frameLimit = 75;
        manager->updateProfile(steam);

        const auto stored = GameProfile::decodeList(readFile(f.path()));
        QVERIFY(stored);
        QCOMPARE(idsOf(*stored), presetIds());
        QCOMPARE(stored->at(8).frameLimit, 75);
        QCOMPARE(*stored, manager->profiles());
    }

    void anUndecodableFileIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("malformed JSON") << QByteArray("[{\"id\": \"my own\", ");
        QTest::newRow("a profile of an older shape") << QByteArray("[{\"id\":\"x\",\"name\":\"X\"}]");
    }

    void anUndecodableFileIsKeptAside()
    {
        QFETCH(QByteArray, contents);
        ManagerFixture f;
        writeFile(f.path(), contents);
        auto manager = f.make();
        QCOMPARE(idsOf(manager->profiles()), presetIds());

        manager->deleteProfile(0);
        const QStringList aside =
            QDir(f.dir.filePath("support")).entryList({"game_profiles.json.unreadable-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readFile(f.dir.filePath("support/" + aside.first())), contents);
        QCOMPARE(idsOf(*GameProfile::decodeList(readFile(f.path()))), presetIds().mid(1));

        // A good file is simply replaced.
        manager->deleteProfile(0);
        QCOMPARE(QDir(f.dir.filePath("support")).entryList({"game_profiles.json.unreadable-*"}, QDir::Files).size(), 1);
        QCOMPARE(idsOf(*GameProfile::decodeList(readFile(f.path()))), presetIds().mid(2));
    }

    void aDeletedPresetStaysDeleted()
    {
        ManagerFixture f;
        {
            auto manager = f.make();
            manager->deleteProfile(presetIds().indexOf("steam"));
            manager->addProfile(custom("u-1"));
        }
        auto manager = f.make();
        QStringList expected = presetIds();
        expected.removeOne("steam");
        expected.append("u-1");
        QCOMPARE(idsOf(manager->profiles()), expected);
        QCOMPARE(*manager->profile("u-1"), custom("u-1"));
    }

    void changesOutsideTheListWriteNothing()
    {
        ManagerFixture f;
        auto manager = f.make();
        QSignalSpy changed(manager.get(), &GameProfileManager::changed);
        manager->deleteProfile(-1);
        manager->deleteProfile(manager->profiles().size());
        manager->updateProfile(custom("unknown"));
        QCOMPARE(manager->profiles().size(), 12);
        QVERIFY(!QFile::exists(f.path()));
        QCOMPARE(changed.size(), 0);
    }

    void aFailedWriteKeepsTheChangeInMemory()
    {
        ManagerFixture f;
        auto manager = std::make_unique<GameProfileManager>(
            f.optimizer.workspace,
            GameProfileManager::Options{f.dir.filePath("missing/folder/game_profiles.json"), {f.dir.filePath("x")}});
        manager->addProfile(custom("kept"));
        QCOMPARE(manager->profiles().last().id, "kept");
        QVERIFY(!QFile::exists(f.dir.filePath("missing/folder/game_profiles.json")));
    }

    void theFirstOfTwoEqualIdsCounts()
    {
        ManagerFixture f;
        writeFile(f.path(), GameProfile::encodeList({custom("twin", "First"), custom("twin", "Second")}));
        auto manager = f.make();
        QCOMPARE(manager->profile("twin")->name, "First");
        manager->updateProfile(custom("twin", "Changed"));
        QCOMPARE(manager->profiles().at(0).name, "Changed");
        QCOMPARE(manager->profiles().at(1).name, "Second");
        QVERIFY(!manager->profile("TWIN"));
    }

    void detection_data()
    {
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<Text>("profile");

        const auto app = [](qint32 pid, const QString& name, const QString& bundle = {}) {
            return FakeWorkspace::application(pid, name, bundle);
        };
        QTest::newRow("nothing running") << QList<RunningApplication>{} << Text();
        QTest::newRow("no game") << QList{app(1, "Notes"), app(2, "Mail")} << Text();
        QTest::newRow("Steam listed first") << QList{app(1, "Steam"), app(2, "Minecraft")} << Text("steam");
        QTest::newRow("Minecraft listed first") << QList{app(1, "Minecraft"), app(2, "Steam")} << Text("minecraft");
        QTest::newRow("by bundle identifier") << QList{app(1, "Java", "com.larian.baldursgate3")} << Text("bg3");
        QTest::newRow("a name with more words") << QList{app(1, "Minecraft Launcher")} << Text("minecraft");
        QTest::newRow("an application without a name is skipped")
            << QList{app(1, "", "com.valve.steam"), app(2, "RE4")} << Text("re4");
    }

    void detection()
    {
        QFETCH(QList<RunningApplication>, running);
        QFETCH(Text, profile);
        ManagerFixture f;
        f.optimizer.workspace.setApplications(running);
        auto manager = f.make();
        const auto found = manager->detectRunningGame();
        QCOMPARE(found ? std::optional(found->id) : Text(), profile);
    }

    void apply_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("frameLimitCall");
        QTest::addColumn<bool>("keepAwake");
        QTest::addColumn<int>("muteScripts");
        QTest::addColumn<bool>("gameMode");

        const QString write = "/usr/bin/defaults write -g MetalFPSLimit -int ";
        QTest::newRow("minecraft") << "minecraft" << write + "120" << true << 0 << false;
        // A profile without a limit takes away one set before.
        QTest::newRow("steam") << "steam" << "/usr/bin/defaults delete -g MetalFPSLimit" << false << 0 << false;
        // Game Mode mutes on its own account.
        QTest::newRow("bg3") << "bg3" << write + "60" << true << 1 << true;
        QTest::newRow("cyberpunk") << "cyberpunk" << write + "60" << true << 2 << true;
        QTest::newRow("wow") << "wow" << write + "144" << true << 1 << false;
    }

    void apply()
    {
        QFETCH(QString, profile);
        QFETCH(QString, frameLimitCall);
        QFETCH(bool, keepAwake);
        QFETCH(int, muteScripts);
        QFETCH(bool, gameMode);

        ManagerFixture f;
        f.optimizer.runner.respond("/usr/bin/defaults", ProcessResult::exited(0));
        auto manager = f.make();
        const GameProfile chosen = *manager->profile(profile);
        manager->applyProfile(chosen, f.optimizer.optimizer());
        QCOMPARE(manager->activatedProfileID(), Text(profile));
        QCOMPARE(manager->activeGameName(), Text(chosen.name));
        WorkQueues::drain();
        QCoreApplication::processEvents();
        QCOMPARE(f.optimizer.runner.commandLines(), QStringList{frameLimitCall});
        QCOMPARE(f.optimizer.optimizer().frameLimitActive(), chosen.frameLimit > 0);
        QCOMPARE(f.optimizer.runner.heldStarts().size(), keepAwake ? 1 : 0);
        QCOMPARE(f.optimizer.scripts.sources().size(), muteScripts);
        QCOMPARE(f.optimizer.optimizer().gameModeEnabled(), gameMode);

        // Switches that are off undo nothing: applying Steam afterwards leaves all of it on.
        manager->applyProfile(*manager->profile("steam"), f.optimizer.optimizer());
        QCOMPARE(f.optimizer.optimizer().antiShutEnabled(), keepAwake);
        QCOMPARE(f.optimizer.optimizer().gameModeEnabled(), gameMode);
        QCOMPARE(manager->activatedProfileID(), Text("steam"));
        manager->deactivateProfile();
        QVERIFY(!manager->activatedProfileID() && !manager->activeGameName());
    }

    void everyLaunchAppliesTheRunningGameAgain()
    {
        ManagerFixture f;
        f.optimizer.runner.respond("/usr/bin/defaults", ProcessResult::exited(0));
        f.optimizer.workspace.setApplications({FakeWorkspace::application(7, "Minecraft")});
        auto manager = f.make();
        manager->startLaunchMonitoring();
        manager->startLaunchMonitoring();
        QVERIFY(manager->isMonitoringLaunches());

        // No optimizer linked yet: nothing is applied.
        f.optimizer.workspace.launch(FakeWorkspace::application(8, "Notes"));
        QVERIFY(!manager->activatedProfileID());

        manager->setOptimizer(&f.optimizer.optimizer());
        f.optimizer.workspace.launch(FakeWorkspace::application(9, "Calculator"));
        f.optimizer.workspace.launch(FakeWorkspace::application(10, "Mail"));
        QCOMPARE(manager->activatedProfileID(), Text("minecraft"));
        WorkQueues::drain();
        const QString write = "/usr/bin/defaults write -g MetalFPSLimit -int 120";
        QCOMPARE(f.optimizer.runner.commandLines(), (QStringList{write, write}));

        // A profile changed meanwhile is applied as it is now.
        GameProfile minecraft = *manager->profile("minecraft");
        minecraft.frameLimit = 30;
        manager->updateProfile(minecraft);
        f.optimizer.runner.clear();
        f.optimizer.runner.respond("/usr/bin/defaults", ProcessResult::exited(0));
        f.optimizer.workspace.launch(FakeWorkspace::application(11, "Notes"));
        WorkQueues::drain();
        QCOMPARE(f.optimizer.runner.commandLines(), QStringList{"/usr/bin/defaults write -g MetalFPSLimit -int 30"});

        manager->removeLaunchObserver();
        QVERIFY(!manager->isMonitoringLaunches());
        f.optimizer.runner.clear();
        f.optimizer.workspace.launch(FakeWorkspace::application(12, "Notes"));
        WorkQueues::drain();
        QVERIFY(f.optimizer.runner.calls().isEmpty());
    }

    void aLaunchAfterTheOptimizerIsGoneAppliesNothing()
    {
        ManagerFixture f;
        f.optimizer.workspace.setApplications({FakeWorkspace::application(7, "Steam")});
        auto manager = f.make();
        manager->startLaunchMonitoring();
        manager->setOptimizer(&f.optimizer.optimizer());
        f.optimizer.release();
        QVERIFY(!manager->optimizer());
        f.optimizer.workspace.launch(FakeWorkspace::application(8, "Notes"));
        QVERIFY(!manager->activatedProfileID());
    }

    void bundleIdentifier_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("info");
        QTest::addColumn<Text>("identifier");

        QTest::newRow("an ordinary list") << std::optional(infoFor("com.mojang.minecraft"))
                                          << Text("com.mojang.minecraft");
        QTest::newRow("no list") << std::optional<QByteArray>() << Text();
        QTest::newRow("no identifier") << std::optional(plist("<dict><key>CFBundleName</key><string>X</string></dict>"))
                                       << Text();
        QTest::newRow("an empty identifier") << std::optional(infoFor("")) << Text();
        QTest::newRow("the identifier is not text")
            << std::optional(plist("<dict><key>CFBundleIdentifier</key><array><string>a</string></array></dict>"))
            << Text();
        QTest::newRow("only inside a nested dictionary")
            << std::optional(plist("<dict><key>Other</key><dict><key>CFBundleIdentifier</key><string>a.b</string>"
                                   "</dict></dict>"))
            << Text();
        QTest::newRow("after a nested dictionary")
            << std::optional(plist("<dict><key>Other</key><dict><key>K</key><true/></dict>"
                                   "<key>CFBundleIdentifier</key><string>a.b</string></dict>"))
            << Text("a.b");
        QTest::newRow("a binary list") << std::optional<QByteArray>("bplist00\xd1\x01\x02") << Text();
        QTest::newRow("not a property list") << std::optional<QByteArray>("<html><dict/></html>") << Text();
    }

    void bundleIdentifier()
    {
        QFETCH(std::optional<QByteArray>, info);
        QFETCH(Text, identifier);
        QTemporaryDir dir;
        makeBundle(dir.filePath("Game.app"), info);
        QCOMPARE(ApplicationBundle::identifier(dir.filePath("Game.app")), identifier);
    }

    void installedGames()
    {
        QTemporaryDir dir;
        const QString applications = dir.filePath("Applications");
        const QString downloads = dir.filePath("Downloads");
        makeBundle(applications + "/Minecraft.app", infoFor("com.mojang.minecraft"));
        makeBundle(applications + "/Notes.app", infoFor("com.apple.Notes"));
        makeBundle(applications + "/RE4 Launcher.app", infoFor("com.other.launcher"));
        makeBundle(applications + "/Games/Steam.app", infoFor("com.valve.steam"));
        makeBundle(applications + "/Cyberpunk 2077.APP", infoFor("com.cdprojektred.cyberpunk2077"));
        makeBundle(applications + "/Lies of P.app", std::nullopt);
        makeBundle(applications + "/Hades.app", infoFor("com.supergiant.hades"));
        makeBundle(downloads + "/Minecraft.app", infoFor("com.mojang.minecraft"));
        const QStringList folders{applications, dir.filePath("Applications/Utilities"), downloads};

        QCOMPARE(InstalledGameScanner::scan(folders, GameProfilePresets::all()),
                 (QStringList{"Minecraft", "RE4 Launcher", "Minecraft"}));

        // The manager scans once, with its own profiles.
        ManagerFixture f;
        writeFile(f.path(), GameProfile::encodeList({custom("h"), GameProfilePresets::all().at(0)}));
        auto manager = f.make(folders);
        QTRY_COMPARE(manager->installedGames(), (QStringList{"Hades", "Minecraft", "Minecraft"}));
    }
};

QM_TEST_MAIN(TestGameProfileManager)
#include "tst_GameProfileManager.moc"
