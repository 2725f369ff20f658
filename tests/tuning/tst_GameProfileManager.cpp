#include "AtomicFile.h"
#include "FileSizeLimit.h"
#include "InstalledApplications.h"
#include "Locked.h"
#include "OptimizerFixture.h"
#include "PlantedFile.h"
#include "TestMain.h"
#include "app/QuillmarshApp.h"
#include "tuning/GameProfileManager.h"
#include "tuning/GameProfilePresets.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Text = std::optional<QString>;

// The empty entries must match nothing: most applications have no bundle identifier.
GameProfile custom(const QString& id = "hk")
{
    return GameProfile{id, "Hollow \"Knight\"", {"com.team.cherry", "", "com.team.cherry2"}, {"Hollow", "", "HK"},
                       "x", 240, true, false, true, false};
}

QStringList idsOf(const QList<GameProfile>& profiles)
{
    QStringList ids;
    for (const GameProfile& profile : profiles)
        ids.append(profile.id);
    return ids;
}

// A good profile, then the custom one with the key changed (or, for undefined, removed).
QByteArray withKey(const QString& key, const QJsonValue& value)
{
    QJsonObject changed = custom().toJson();
    changed.insert(key, value);
    return QJsonDocument(QJsonArray{custom("ok").toJson(), changed}).toJson();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Installed applications that a test changes while the manager runs.
class ChangingApplications final : public InstalledApplications {
public:
    QList<Application> list() override { return m_applications.get(); }
    void install(const Application& application)
    {
        m_applications.with([&](QList<Application>& applications) { applications.append(application); });
    }

private:
    Locked<QList<Application>> m_applications;
};

int posixMode(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

class TestGameProfileManager : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void jsonRoundTrip()
    {
        const QList<GameProfile> profiles = GameProfilePresets::all() + QList{custom()};
        QCOMPARE(GameProfile::decodeList(GameProfile::encodeList(profiles)), std::optional(profiles));
        QCOMPARE(custom().toJson().keys(),
                 (QStringList{"autoActivateGameMode", "boostPriority", "bundleIDs", "enableAntiShut", "enableFocusMode",
                              "frameLimit", "iconName", "id", "name", "processNames"}));
    }

    void matching_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<bool>("belongs");
        QTest::newRow("bundle identifier, any name") << "Launcher" << "com.team.cherry2" << true;
        QTest::newRow("bundle identifier differs in case only") << "Launcher" << "com.Team.Cherry" << false;
        QTest::newRow("bundle identifier is a prefix only") << "Launcher" << "com.team.cherry.helper" << false;
        QTest::newRow("name fragment in another case") << "The hollow knight" << "" << true;
        QTest::newRow("no bundle identifier, unrelated name") << "Notes" << "" << false;
        QTest::newRow("no name, no bundle identifier") << "" << "" << false;
    }

    void matching()
    {
        QFETCH(QString, name);
        QFETCH(QString, bundle);
        QFETCH(bool, belongs);
        QCOMPARE(custom().matches(name, bundle), belongs);
    }

    void load_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("file");
        QTest::addColumn<QStringList>("ids");

        const QStringList presets = idsOf(GameProfilePresets::all());
        QTest::newRow("no file") << std::optional<QByteArray>() << presets;
        QTest::newRow("malformed JSON") << std::optional<QByteArray>("[{\"id\": \"a\"") << presets;
        QTest::newRow("one profile without a Boolean")
            << std::optional(withKey("boostPriority", QJsonValue::Undefined)) << presets;
        QTest::newRow("one fractional frame limit") << std::optional(withKey("frameLimit", 59.5)) << presets;
        QTest::newRow("an empty array") << std::optional<QByteArray>("[]") << QStringList{};
        QTest::newRow("the user's own profiles, unknown keys ignored")
            << std::optional(withKey("extra", 1)) << QStringList{"ok", "hk"};
    }

    void load()
    {
        QFETCH(std::optional<QByteArray>, file);
        QFETCH(QStringList, ids);
        if (file)
            QVERIFY(AtomicFile::write(path(), *file));
        const auto manager = make();
        QCOMPARE(idsOf(manager->profiles()), ids);
        // Loading never writes.
        QCOMPARE(readFile(path()), file.value_or(QByteArray()));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), file ? 1 : 0);
    }

    void savingKeepsAnUnreadableFileAside()
    {
        const QByteArray unreadable = "[{\"id\":\"mine\",\"name\":\"Mine\"}]";
        QVERIFY(AtomicFile::write(path(), unreadable));
        QStringList expected = idsOf(GameProfilePresets::all());
        {
            auto manager = make();
            manager->deleteProfile(expected.indexOf("steam"));
            manager->addProfile(custom("u-1"));
            manager->updateProfile(custom("minecraft"));
        }
        expected.removeOne("steam");
        expected.append("u-1");
        const QStringList aside = QDir(m_dir->path()).entryList({"game_profiles.json.unreadable-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readFile(m_dir->filePath(aside.first())), unreadable);
        // Private like the other stored files, although the file it replaced was not.
        QCOMPARE(posixMode(path()), 0600);
        QCOMPARE(idsOf(GameProfile::decodeList(readFile(path())).value_or(QList<GameProfile>())), expected);
        auto manager = make();
        QCOMPARE(idsOf(manager->profiles()), expected);
        QCOMPARE(*manager->profile("minecraft"), custom("minecraft"));
    }

    // Whatever stands at the profiles file, the start goes on with the presets; a file that cannot
    // be read as one is set aside once, and the next start is clean.
    void unusableFilesAreSetAsideOnce_data()
    {
        PlantedFile::addKindRows();
    }
    void unusableFilesAreSetAsideOnce()
    {
        QFETCH(PlantedFile::Kind, kind);
        QVERIFY(PlantedFile::plant(path(), kind, GameProfileFile::maxFileBytes));
        const QString planted = PlantedFile::describe(path());
        const QStringList presets = idsOf(GameProfilePresets::all());
        QCOMPARE(idsOf(make()->profiles()), presets);
        const QStringList aside = PlantedFile::asideCopies(path());
        QCOMPARE(aside.size(), 1);
        QCOMPARE(PlantedFile::describe(m_dir->filePath(aside.first())), planted);
        QCOMPARE(PlantedFile::describe(path()), QString("nothing"));

        auto next = make();
        QCOMPARE(idsOf(next->profiles()), presets);
        next->addProfile(custom());
        QVERIFY(!next->saveFailed());
        QCOMPARE(idsOf(make()->profiles()), presets + QStringList{"hk"});
        QCOMPARE(PlantedFile::asideCopies(path()), aside);
    }

    // A change that cannot be saved is undone and said: the profiles are those a new start finds.
    void failedSavesShowWhatIsStored_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("change");
        for (const char* fault : {"no room", "folder is a file"}) {
            for (const char* change : {"edit", "add", "delete"})
                QTest::addRow("%s, %s", fault, change) << fault << change;
        }
    }
    void failedSavesShowWhatIsStored()
    {
        QFETCH(QString, fault);
        QFETCH(QString, change);
        QString profilesPath = path();
        if (fault == "folder is a file") {
            QVERIFY(AtomicFile::write(m_dir->filePath("folder"), "a file"));
            profilesPath = m_dir->filePath("folder/game_profiles.json");
        } else {
            QVERIFY(GameProfileFile(profilesPath).save(GameProfilePresets::all() + QList{custom()}));
        }
        GameProfileManager manager(m_workspace, GameProfileManager::Options{profilesPath, {}});
        const QList<GameProfile> stored = manager.profiles();
        QSignalSpy changes(&manager, &GameProfileManager::changed);
        GameProfile minecraft = *manager.profile("minecraft");
        minecraft.frameLimit = 144;
        {
            std::optional<FileSizeLimit> noRoom;
            if (fault == "no room")
                noRoom.emplace(0);
            if (change == "edit")
                manager.updateProfile(minecraft);
            else if (change == "add")
                manager.addProfile(custom("u-2"));
            else
                manager.deleteProfile(0);
        }
        QVERIFY(manager.saveFailed());
        QCOMPARE(manager.profiles(), stored);
        QCOMPARE(GameProfileManager(m_workspace, GameProfileManager::Options{profilesPath, {}}).profiles(), stored);
        QCOMPARE(changes.size(), 1);

        if (fault == "no room") {
            manager.updateProfile(minecraft);
            QVERIFY(!manager.saveFailed());
            QCOMPARE(manager.profile("minecraft")->frameLimit, 144);
        }
    }

    // As the application starts: a write beyond the file-size limit fails and is said, where the
    // signal's default would end the process. In a child, so the limit stays out of this process.
    void aWriteBeyondTheFileSizeLimitIsReported()
    {
        QVERIFY(GameProfileFile(path()).save(GameProfilePresets::all()));
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            QuillmarshApp::ignoreFileSizeSignal();
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_FSIZE, &none);
            GameProfileManager manager(m_workspace, GameProfileManager::Options{path(), {}});
            manager.addProfile(custom());
            ::_exit(manager.saveFailed() && manager.profiles() == GameProfilePresets::all() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(!WIFSIGNALED(status), qPrintable(QString::number(WTERMSIG(status))));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(make()->profiles(), GameProfilePresets::all());
    }

    void apply_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::newRow("a frame limit and keep-awake") << "minecraft";
        // A profile without a limit takes away one set before.
        QTest::newRow("no frame limit, no switches") << "steam";
        // Game Mode mutes on its own account.
        QTest::newRow("every switch") << "cyberpunk";
    }

    void apply()
    {
        QFETCH(QString, profile);
        OptimizerFixture f;
        f.runner.respond("/usr/bin/defaults", ProcessResult::exited(0));
        auto manager = make();
        const GameProfile chosen = *manager->profile(profile);
        manager->applyProfile(chosen, f.optimizer);
        QCOMPARE(manager->activatedProfileID(), Text(profile));
        OptimizerFixture::settle();
        QCOMPARE(f.runner.commandLines(),
                 QStringList{chosen.frameLimit > 0
                                 ? "/usr/bin/defaults write -g MetalFPSLimit -int " + QString::number(chosen.frameLimit)
                                 : "/usr/bin/defaults delete -g MetalFPSLimit"});
        QCOMPARE(f.optimizer.frameLimitActive(), chosen.frameLimit > 0);
        QCOMPARE(f.runner.heldStarts().size(), chosen.enableAntiShut ? 1 : 0);
        QCOMPARE(f.scripts.sources().size(), int(chosen.enableFocusMode) + int(chosen.autoActivateGameMode));
        QCOMPARE(f.optimizer.gameModeEnabled(), chosen.autoActivateGameMode);

        // Switches that are off undo nothing: applying Steam afterwards leaves all of it on.
        manager->applyProfile(*manager->profile("steam"), f.optimizer);
        QCOMPARE(f.optimizer.antiShutEnabled(), chosen.enableAntiShut);
        QCOMPARE(f.optimizer.gameModeEnabled(), chosen.autoActivateGameMode);
        QCOMPARE(manager->activatedProfileID(), Text("steam"));
    }

    // A launch can apply a profile only while a profile's game runs or could start: one installed
    // here (see the root view's tests) or one the user made a profile for.
    void launchesAreAwaited_data()
    {
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("ownProfile");
        QTest::addColumn<bool>("monitoring");
        QTest::addColumn<bool>("awaited");
        QTest::newRow("presets only, no game") << "Notes" << false << true << false;
        QTest::newRow("a preset's game runs") << "Minecraft" << false << true << true;
        QTest::newRow("a profile of the user's own") << "Notes" << true << true << true;
        QTest::newRow("launches not monitored") << "Minecraft" << true << false << false;
    }
    void launchesAreAwaited()
    {
        QFETCH(QString, running);
        QFETCH(bool, ownProfile);
        QFETCH(bool, monitoring);
        QFETCH(bool, awaited);
        m_workspace.add(FakeWorkspace::application(4400, running));
        auto manager = make();
        if (ownProfile)
            manager->addProfile(custom());
        if (monitoring)
            manager->startLaunchMonitoring();
        QCOMPARE(manager->awaitsGameLaunches(), awaited);

        // The game's end is seen, and a launch of it again.
        m_workspace.terminate(4400);
        QCOMPARE(manager->awaitsGameLaunches(), monitoring && ownProfile);
        m_workspace.launch(FakeWorkspace::application(4401, "Minecraft"));
        QCOMPARE(manager->awaitsGameLaunches(), monitoring);
        m_workspace.terminate(4401);
    }

    // A game started while the workspace was not watched is treated as launched once it is watched
    // again; a game that was already running is not applied a second time.
    void launchWhileUnwatched_data()
    {
        QTest::addColumn<QString>("runningBefore");
        QTest::addColumn<QString>("startedMeanwhile");
        QTest::addColumn<bool>("monitoring");
        QTest::addColumn<Text>("applied");
        QTest::addColumn<bool>("awaited");
        QTest::newRow("a preset's game started")
            << "Notes" << "Minecraft" << true << Text("minecraft") << true;
        QTest::newRow("something else started") << "Notes" << "Calculator" << true << Text() << false;
        QTest::newRow("launches not monitored") << "Notes" << "Minecraft" << false << Text() << false;
        QTest::newRow("the game ran before") << "Minecraft" << "Calculator" << true << Text() << true;
    }
    void launchWhileUnwatched()
    {
        QFETCH(QString, runningBefore);
        QFETCH(QString, startedMeanwhile);
        QFETCH(bool, monitoring);
        QFETCH(Text, applied);
        QFETCH(bool, awaited);
        OptimizerFixture f;
        f.runner.respond("/usr/bin/defaults", ProcessResult::exited(0));
        m_workspace.add(FakeWorkspace::application(4400, runningBefore));
        auto manager = make();
        manager->setOptimizer(&f.optimizer);
        if (monitoring)
            manager->startLaunchMonitoring();
        m_workspace.setWatched(false);
        m_workspace.add(FakeWorkspace::application(4401, startedMeanwhile));
        m_workspace.setWatched(true);
        const Text activated = manager->activatedProfileID();
        const bool automatically = manager->appliedAutomatically();
        const bool awaits = manager->awaitsGameLaunches();
        OptimizerFixture::settle();
        m_workspace.terminate(4400);
        m_workspace.terminate(4401);
        QCOMPARE(activated, applied);
        QCOMPARE(automatically, applied.has_value());
        QCOMPARE(awaits, awaited);
    }

    // A game installed after the first look counts once launch monitoring starts or a scan is asked
    // for again; requests during a scan are not lost.
    void installedGamesAreLookedForAgain_data()
    {
        QTest::addColumn<bool>("duringTheFirstScan");
        QTest::newRow("after the first scan") << false;
        QTest::newRow("during the first scan") << true;
    }
    void installedGamesAreLookedForAgain()
    {
        QFETCH(bool, duringTheFirstScan);
        auto installed = std::make_shared<ChangingApplications>();
        GameProfileManager manager(m_workspace, GameProfileManager::Options{path(), installed});
        QSignalSpy changes(&manager, &GameProfileManager::changed);
        if (!duringTheFirstScan)
            QTRY_COMPARE(changes.size(), 1);
        installed->install({"Minecraft", "com.mojang.minecraft", ""});
        manager.startLaunchMonitoring();
        QTRY_COMPARE(manager.installedGames(), QStringList{"Minecraft"});
        QVERIFY(manager.awaitsGameLaunches());

        // Looking again and finding the same announces nothing.
        const qsizetype before = changes.size();
        manager.scanInstalledGames();
        installed->install({"Notes", "org.notes", ""});
        manager.scanInstalledGames();
        for (int round = 0; round < 3; ++round)
            OptimizerFixture::settle();
        QCOMPARE(changes.size(), before);
        manager.removeLaunchObserver();
    }

private:
    QString path() const { return m_dir->filePath("game_profiles.json"); }
    std::unique_ptr<GameProfileManager> make()
    {
        auto manager = std::make_unique<GameProfileManager>(
            m_workspace, GameProfileManager::Options{path(), {}});
        OptimizerFixture::settle();
        return manager;
    }

    FakeWorkspace m_workspace;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QM_TEST_MAIN(TestGameProfileManager)
#include "tst_GameProfileManager.moc"
