#include "FakeDefaults.h"
#include "FakeProcessControl.h"
#include "FakeWorkspace.h"
#include "TestMain.h"
#include "tuning/FocusFreezeManager.h"
#include "tuning/GameProfilePresets.h"
#include "tuning/SessionProcesses.h"

#include <csignal>

namespace {

using Policy = RunningApplication::ActivationPolicy;
using Risk = FreezeCandidate::Risk;
using Signals = QList<std::pair<qint32, int>>;

constexpr qint32 kOwnPid = 999;
const QString kPids = "com.quillmarsh.backgroundFreeze.frozenProcessPIDs";
const QString kStartTimes = "com.quillmarsh.backgroundFreeze.frozenProcessStartTimes";
const QString kSelection = "com.quillmarsh.backgroundFreeze.selectedCandidates";

GameProfile preset(const QString& id)
{
    for (const GameProfile& profile : GameProfilePresets::all()) {
        if (profile.id == id)
            return profile;
    }
    return {};
}

RunningApplication app(qint32 pid, const QString& name, const QString& bundle = {}, Policy policy = Policy::Regular)
{
    return FakeWorkspace::application(pid, name, bundle, policy);
}

RunningApplication withExecutable(RunningApplication application, const QString& executable)
{
    application.executableLocation = executable;
    return application;
}

struct FreezeFixture {
    FakeWorkspace workspace;
    FakeProcessControl processes;
    FakeDefaults defaults;

    FreezeFixture() { processes.setOwnProcessId(kOwnPid); }

    void run(const RunningApplication& application)
    {
        workspace.add(application);
        processes.add(application.processIdentifier, application.startTime);
    }
    void run(const QList<RunningApplication>& applications)
    {
        for (const RunningApplication& application : applications)
            run(application);
    }

    std::unique_ptr<FocusFreezeManager> make(std::chrono::milliseconds refresh = std::chrono::hours(1))
    {
        return std::make_unique<FocusFreezeManager>(FocusFreezeManager::Services{workspace, processes, defaults},
                                                    FocusFreezeManager::Options{kOwnPid, {}, refresh});
    }

    Signals signalsSent() const
    {
        Signals sent;
        for (const auto& call : processes.signalCalls())
            sent.append({call.pid, call.signal});
        return sent;
    }
    // Brings an application to the front and lets the manager hear of it.
    void activate(qint32 pid)
    {
        workspace.setFrontmost(pid);
        for (const RunningApplication& application : workspace.runningApplications()) {
            if (application.processIdentifier == pid)
                emit workspace.applicationActivated(application);
        }
        QCoreApplication::processEvents();
    }
    QVariant stored(const QString& key) const { return defaults.value(key); }
};

QStringList idsOf(const QList<FreezeCandidate>& candidates)
{
    QStringList ids;
    for (const FreezeCandidate& candidate : candidates)
        ids.append(candidate.id + " " + FreezeCandidate::riskText(candidate.risk));
    return ids;
}

QVariantList integers(const QList<qint64>& values)
{
    QVariantList list;
    for (const qint64 value : values)
        list.append(value);
    return list;
}

} // namespace

class TestFocusFreezeManager : public QObject {
    Q_OBJECT
private slots:
    void candidates_data()
    {
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<std::optional<GameProfile>>("profile");
        QTest::addColumn<QStringList>("candidates");

        const std::optional<GameProfile> none;
        QTest::newRow("keywords, safe first, names without regard to case")
            << QList{app(10, "Safari", "com.apple.Safari"), app(11, "Dropbox", "com.getdropbox.dropbox"),
                     app(12, "brave"), app(13, "adobe Updater"), app(14, "Backup Tool"), app(15, "Notes")}
            << none
            << QStringList{"adobe Updater|adobe Updater Safe", "Backup Tool|Backup Tool Safe",
                           "com.getdropbox.dropbox|Dropbox Safe", "brave|brave Review",
                           "com.apple.Safari|Safari Review"};
        QTest::newRow("a safe keyword wins over a review one")
            << QList{app(10, "Steam Helper"), app(11, "Chrome Updater")} << none
            << QStringList{"Chrome Updater|Chrome Updater Safe", "Steam Helper|Steam Helper Safe"};
        QTest::newRow("a keyword in the bundle identifier") << QList{app(10, "Player", "com.spotify.client")} << none
                                                            << QStringList{"com.spotify.client|Player Review"};
        QTest::newRow("system and tool applications, in any case")
            << QList{app(10, "Finder Sync"), app(11, "terminal Update"), app(12, "XCODE Helper"),
                     app(13, "Quillmarsh Helper")}
            << none << QStringList{};
        QTest::newRow("background-only, this process, no name")
            << QList{app(10, "Dropbox Agent", "", Policy::Prohibited), app(kOwnPid, "Sync Helper"),
                     withExecutable(app(12, ""), "")}
            << none << QStringList{};
        QTest::newRow("an accessory application may be paused") << QList{app(10, "Box Drive", "", Policy::Accessory)}
                                                                << none << QStringList{"Box Drive|Box Drive Safe"};
        QTest::newRow("no name: the executable's") << QList{withExecutable(app(10, ""), "/opt/Mega/MEGAsync.bin")}
                                                   << none << QStringList{"MEGAsync|MEGAsync Safe"};
        QTest::newRow("programs of the desktop session, whatever they are called")
            << QList{withExecutable(app(10, "Sound Sync"), "/usr/bin/pipewire"),
                     withExecutable(app(11, "Update Notifier Helper"), "/usr/libexec/gnome-terminal-server"),
                     withExecutable(app(12, "Chrome Remote Desktop"), "/usr/bin/Xvfb"),
                     withExecutable(app(13, "Dropbox Shell"), "/bin/bash"),
                     withExecutable(app(14, "KDE Backup"), "/usr/bin/kwin_x11")}
            << none << QStringList{};
        QTest::newRow("the linked game, also a helper named after it")
            << QList{app(10, "Steam", "com.valve.steam"), app(11, "Steam Helper"), app(12, "Discord")}
            << std::optional(preset("steam")) << QStringList{"Discord|Discord Review"};
    }

    void candidates()
    {
        QFETCH(QList<RunningApplication>, running);
        QFETCH(std::optional<GameProfile>, profile);
        QFETCH(QStringList, candidates);

        FreezeFixture f;
        f.run(running);
        auto manager = f.make();
        manager->setActiveProfile(profile);
        QCOMPARE(idsOf(manager->candidates()), candidates);
        for (const FreezeCandidate& candidate : manager->candidates()) {
            QCOMPARE(candidate.reason,
                     candidate.risk == Risk::Safe
                         ? candidate.name + " can usually pause during gameplay and resume when you switch away."
                         : QString("Review first. Freezing this can pause audio, chat, downloads, or browser activity."));
        }
    }

    void sessionProcesses_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("session");

        QTest::newRow("sound server") << "/usr/bin/pipewire-pulse" << true;
        QTest::newRow("message bus") << "/usr/bin/dbus-broker-launch" << true;
        QTest::newRow("compositor") << "/usr/bin/kwin_wayland" << true;
        QTest::newRow("terminal") << "/usr/bin/xfce4-terminal" << true;
        QTest::newRow("xterm") << "/usr/bin/xterm" << true;
        QTest::newRow("user service manager") << "/usr/lib/systemd/systemd" << true;
        QTest::newRow("shell") << "/usr/bin/zsh" << true;
        QTest::newRow("an ordinary application") << "/opt/Dropbox/dropbox" << false;
        QTest::newRow("a name only starting like a shell") << "/usr/bin/shotwell" << false;
        QTest::newRow("case matters") << "/usr/bin/Pipewire" << false;
        QTest::newRow("no executable") << "" << false;
    }

    void sessionProcesses()
    {
        QFETCH(QString, executable);
        QFETCH(bool, session);
        QCOMPARE(SessionProcesses::contains(executable), session);
    }

    void protection_data()
    {
        QTest::addColumn<FreezeCandidate>("candidate");
        QTest::addColumn<QString>("ownBundle");
        QTest::addColumn<bool>("protectedNow");

        const auto candidate = [](qint32 pid, const QString& name, const QString& bundle = {}) {
            return FreezeCandidate{FreezeCandidate::makeID(bundle, name), name, bundle, pid, 0, Risk::Safe, {}};
        };
        // The linked profile is Minecraft.
        QTest::newRow("an ordinary candidate") << candidate(10, "Dropbox") << "" << false;
        QTest::newRow("this process") << candidate(kOwnPid, "Dropbox") << "" << true;
        QTest::newRow("this application") << candidate(10, "Box", "org.quillmarsh.app") << "org.quillmarsh.app" << true;
        QTest::newRow("no own bundle identifier known") << candidate(10, "Box") << "" << false;
        QTest::newRow("an excluded name") << candidate(10, "Spotlight Sync") << "" << true;
        QTest::newRow("named after the game") << candidate(10, "minecraft Updater") << "" << true;
        QTest::newRow("the game's bundle identifier") << candidate(10, "Java Helper", "com.mojang.minecraft") << "" << true;
    }

    void protection()
    {
        QFETCH(FreezeCandidate, candidate);
        QFETCH(QString, ownBundle);
        QFETCH(bool, protectedNow);
        QCOMPARE(FreezeRules::isProtected(candidate, {kOwnPid, ownBundle, preset("minecraft")}), protectedNow);
    }

    void theFirstRunSelectsTheSafeCandidates()
    {
        FreezeFixture f;
        f.run({app(10, "Safari"), app(11, "Dropbox"), app(12, "Google Drive", "com.google.drive")});
        auto manager = f.make();
        const QSet<QString> safe{"Dropbox|Dropbox", "com.google.drive|Google Drive"};
        QCOMPARE(manager->selectedCandidateIDs(), safe);
        QCOMPARE(f.stored(kSelection).toStringList(), (QStringList{"Dropbox|Dropbox", "com.google.drive|Google Drive"}));
        QCOMPARE(manager->statusText(), "Choose a profile, enable Background Freeze, then switch into the game.");
        QVERIFY(!manager->isEnabled());

        // A later run keeps the user's choice, also when it no longer matches what runs.
        manager->toggleCandidate("Dropbox|Dropbox");
        manager->toggleCandidate("Safari|Safari");
        manager.reset();
        f.run(app(13, "OneDrive"));
        manager = f.make();
        QCOMPARE(manager->selectedCandidateIDs(), (QSet<QString>{"com.google.drive|Google Drive", "Safari|Safari"}));
    }

    void aSavedSelectionThatIsEmptyOrWrongCountsAsNone_data()
    {
        QTest::addColumn<QVariant>("saved");
        QTest::newRow("empty") << QVariant(QVariantList{});
        QTest::newRow("not strings") << QVariant(QVariantList{1, 2});
        QTest::newRow("not an array") << QVariant("Dropbox|Dropbox");
    }

    void aSavedSelectionThatIsEmptyOrWrongCountsAsNone()
    {
        QFETCH(QVariant, saved);
        FreezeFixture f;
        f.defaults.setValue(kSelection, saved);
        f.run({app(10, "Safari"), app(11, "Dropbox")});
        auto manager = f.make();
        QCOMPARE(manager->selectedCandidateIDs(), QSet<QString>{"Dropbox|Dropbox"});
        QCOMPARE(f.stored(kSelection).toStringList(), QStringList{"Dropbox|Dropbox"});
    }

    void pausesWhileTheGameIsInFront()
    {
        FreezeFixture f;
        f.run({app(5, "Minecraft"), app(6, "Notes"), app(20, "Dropbox"), app(21, "Google Drive"), app(30, "Safari")});
        auto manager = f.make();
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(preset("minecraft"));
        QVERIFY(f.signalsSent().isEmpty());
        QCOMPARE(manager->statusText(), "Background Freeze is off. All paused apps have been resumed.");

        manager->setEnabled(true);
        QCOMPARE(f.signalsSent(), (Signals{{20, SIGSTOP}, {21, SIGSTOP}}));
        QVERIFY(manager->isGameFrontmost());
        QCOMPARE(manager->frozenNames(), (QStringList{"Dropbox", "Google Drive"}));
        QCOMPARE(manager->frozenProcessIdentifiers(), (QList<qint32>{20, 21}));
        QCOMPARE(manager->statusText(), "Minecraft is active. Frozen: Dropbox, Google Drive.");
        QCOMPARE(f.stored(kPids).toList(), integers({20, 21}));
        QCOMPARE(f.stored(kStartTimes).toMap(), (QVariantMap{{"20", qint64(1020)}, {"21", qint64(1021)}}));

        // Evaluating again sends nothing twice.
        f.activate(5);
        QCOMPARE(f.signalsSent().size(), 2);

        f.activate(6);
        QCOMPARE(f.signalsSent().mid(2), (Signals{{20, SIGCONT}, {21, SIGCONT}}));
        QVERIFY(!manager->isGameFrontmost());
        QVERIFY(manager->frozenNames().isEmpty());
        QCOMPARE(manager->statusText(), "Background apps are awake while you are outside Minecraft.");
        QCOMPARE(f.stored(kPids).toList(), QVariantList{});

        // No application in front counts as the game not being there.
        f.activate(5);
        QCOMPARE(f.signalsSent().size(), 6);
        f.workspace.setFrontmost(std::nullopt);
        manager->refreshCandidates();
        manager->setActiveProfile(preset("minecraft"));
        QCOMPARE(f.signalsSent().mid(6), (Signals{{20, SIGCONT}, {21, SIGCONT}}));
    }

    void frozenStatus_data()
    {
        QTest::addColumn<int>("paused");
        QTest::addColumn<QString>("status");

        QTest::newRow("none") << 0 << "Minecraft is active. No selected background apps are frozen.";
        QTest::newRow("one") << 1 << "Minecraft is active. Frozen: Sync 1.";
        QTest::newRow("three") << 3 << "Minecraft is active. Frozen: Sync 1, Sync 2, Sync 3.";
        QTest::newRow("five") << 5 << "Minecraft is active. Frozen: Sync 1, Sync 2, Sync 3 +2.";
    }

    void frozenStatus()
    {
        QFETCH(int, paused);
        QFETCH(QString, status);
        FreezeFixture f;
        f.run(app(5, "Minecraft"));
        for (int i = paused; i >= 1; --i)
            f.run(app(100 + i, "Sync " + QString::number(i)));
        f.run(app(200, "Firefox"));
        auto manager = f.make();
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(preset("minecraft"));
        manager->setEnabled(true);
        QCOMPARE(manager->statusText(), status);
        QCOMPARE(manager->frozenNames().size(), paused);
    }

    void theGameIsNeverPaused()
    {
        FreezeFixture f;
        f.run({app(5, "Steam", "com.valve.steam"), app(6, "Steam Helper"), app(7, "Dropbox")});
        auto manager = f.make();
        // Made while no profile was linked: Steam Helper is a Safe candidate and selected.
        QVERIFY(manager->selectedCandidateIDs().contains("Steam Helper|Steam Helper"));
        manager->toggleCandidate("com.valve.steam|Steam");
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(preset("steam"));
        manager->setEnabled(true);
        QCOMPARE(f.signalsSent(), (Signals{{7, SIGSTOP}}));
        QCOMPARE(manager->statusText(), "Steam is active. Frozen: Dropbox.");
    }

    void switchingAndLinking()
    {
        FreezeFixture f;
        f.run({app(5, "Minecraft"), app(6, "RE4"), app(20, "Dropbox")});
        auto manager = f.make();
        f.workspace.setFrontmost(5);
        manager->setEnabled(true);
        QCOMPARE(manager->statusText(), "Pick or activate a game profile first.");
        QVERIFY(f.signalsSent().isEmpty());

        manager->setActiveProfile(preset("minecraft"));
        QCOMPARE(f.signalsSent(), (Signals{{20, SIGSTOP}}));
        // The same profile again, edited: nothing is resumed.
        GameProfile edited = preset("minecraft");
        edited.name = "Minecraft Java";
        manager->setActiveProfile(edited);
        QCOMPARE(f.signalsSent().size(), 1);
        QCOMPARE(manager->statusText(), "Minecraft Java is active. Frozen: Dropbox.");
        // Another profile: resume first; its game is not in front.
        manager->setActiveProfile(preset("re4"));
        QCOMPARE(f.signalsSent().mid(1), (Signals{{20, SIGCONT}}));
        QCOMPARE(manager->statusText(), "Background apps are awake while you are outside Resident Evil 4.");
        manager->setActiveProfile(preset("minecraft"));
        QCOMPARE(f.signalsSent().size(), 3);
        manager->setActiveProfile(std::nullopt);
        QCOMPARE(f.signalsSent().mid(3), (Signals{{20, SIGCONT}}));
        QCOMPARE(manager->statusText(), "Pick or activate a game profile first.");

        manager->setActiveProfile(preset("minecraft"));
        QCOMPARE(f.signalsSent().size(), 5);
        manager->setEnabled(false);
        QCOMPARE(f.signalsSent().mid(5), (Signals{{20, SIGCONT}}));
        QCOMPARE(manager->statusText(), "Background Freeze is off. All paused apps have been resumed.");
        // Off: a notice resumes (nothing) and shows the off text again.
        f.activate(5);
        QCOMPARE(f.signalsSent().size(), 6);
        QCOMPARE(manager->statusText(), "Background Freeze is off. All paused apps have been resumed.");
    }

    void deselectingResumesAtOnce()
    {
        FreezeFixture f;
        f.run({app(5, "Minecraft"), app(20, "Dropbox"), app(30, "Safari"), app(31, "Discord")});
        auto manager = f.make();
        manager->toggleCandidate("Safari|Safari");
        manager->toggleCandidate("Discord|Discord");
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(preset("minecraft"));
        manager->setEnabled(true);
        QCOMPARE(f.signalsSent(), (Signals{{20, SIGSTOP}, {31, SIGSTOP}, {30, SIGSTOP}}));

        manager->toggleCandidate("Dropbox|Dropbox");
        QCOMPARE(f.signalsSent().mid(3), (Signals{{20, SIGCONT}}));
        QCOMPARE(manager->frozenNames(), (QStringList{"Discord", "Safari"}));
        QCOMPARE(f.stored(kPids).toList(), integers({30, 31}));

        // Safe only: Dropbox is selected again and paused; the Review ones are resumed.
        manager->selectSafeOnly();
        QCOMPARE(manager->selectedCandidateIDs(), QSet<QString>{"Dropbox|Dropbox"});
        QCOMPARE(f.signalsSent().mid(4), (Signals{{30, SIGCONT}, {31, SIGCONT}, {20, SIGSTOP}}));
        QCOMPARE(manager->frozenNames(), QStringList{"Dropbox"});

        manager->resumeAll();
        QCOMPARE(f.signalsSent().mid(7), (Signals{{20, SIGCONT}}));
        QCOMPARE(manager->statusText(), "Background Freeze is ready. Switch into the selected game to pause selected "
                                        "background apps.");
    }

    void anEndedProcessIsDropped()
    {
        FreezeFixture f;
        const RunningApplication dropbox = app(20, "Dropbox");
        f.run({app(5, "Minecraft"), dropbox, app(21, "OneDrive")});
        auto manager = f.make();
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(preset("minecraft"));
        manager->setEnabled(true);
        QCOMPARE(manager->frozenNames(), (QStringList{"Dropbox", "OneDrive"}));

        // Dropbox ended and its identifier went to a newcomer, which is none of ours to pause.
        f.workspace.remove(20);
        f.processes.recycle(20, 777);
        RunningApplication ended = dropbox;
        ended.isTerminated = true;
        emit f.workspace.applicationTerminated(ended);
        QCoreApplication::processEvents();
        QCOMPARE(manager->frozenNames(), QStringList{"OneDrive"});
        QCOMPARE(f.stored(kPids).toList(), integers({21}));
        manager->resumeAll();
        // Signal 0 only asks whether the process is still there.
        QCOMPARE(f.signalsSent().mid(2), (Signals{{21, 0}, {21, SIGCONT}}));
    }

    void theTimerKeepsPausingNewcomers()
    {
        FreezeFixture f;
        f.run({app(5, "Minecraft"), app(20, "Dropbox")});
        auto manager = f.make(std::chrono::milliseconds(10));
        manager->toggleCandidate("OneDrive|OneDrive");
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(preset("minecraft"));
        manager->setEnabled(true);
        f.run(app(21, "OneDrive"));
        QTRY_COMPARE(manager->frozenNames(), (QStringList{"Dropbox", "OneDrive"}));
        manager->setEnabled(false);
        const qsizetype sent = f.signalsSent().size();
        f.run(app(22, "Box"));
        QTest::qWait(40);
        QCOMPARE(f.signalsSent().size(), sent);
    }

    void goingAwayOrQuittingResumesEverything()
    {
        FreezeFixture f;
        f.run({app(5, "Minecraft"), app(20, "Dropbox")});
        auto manager = f.make();
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(preset("minecraft"));
        manager->setEnabled(true);
        QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection);
        QCOMPARE(f.signalsSent(), (Signals{{20, SIGSTOP}, {20, SIGCONT}}));

        f.activate(5);
        QCOMPARE(f.signalsSent().size(), 3);
        manager.reset();
        QCOMPARE(f.signalsSent().mid(3), (Signals{{20, SIGCONT}}));
        QCOMPARE(f.stored(kPids).toList(), QVariantList{});
    }

    void recovery_data()
    {
        QTest::addColumn<QVariant>("pids");
        QTest::addColumn<QVariantMap>("startTimes");
        QTest::addColumn<Signals>("resumed");

        // Processes 123 and 124 run, started at 1123 and 1124.
        const QVariantMap both{{"123", qint64(1123)}, {"124", qint64(1124)}};
        QTest::newRow("out of range values skipped") << QVariant(integers({0, -5, 123})) << both
                                                      << Signals{{123, SIGCONT}};
        QTest::newRow("an identifier reused by another process")
            << QVariant(integers({123, 124})) << QVariantMap{{"123", qint64(1123)}, {"124", qint64(55)}}
            << Signals{{123, SIGCONT}};
        QTest::newRow("no start time stored") << QVariant(integers({123, 124})) << QVariantMap{{"124", qint64(1124)}}
                                              << Signals{{124, SIGCONT}};
        QTest::newRow("a start time that is no number")
            << QVariant(integers({123})) << QVariantMap{{"123", "1123"}} << Signals{};
        QTest::newRow("an element that is no integer") << QVariant(QVariantList{123, "124"}) << both << Signals{};
        QTest::newRow("beyond 32 bits") << QVariant(integers({4294967419LL, 123})) << both << Signals{{123, SIGCONT}};
        QTest::newRow("nothing stored") << QVariant() << QVariantMap{} << Signals{};
    }

    void recovery()
    {
        QFETCH(QVariant, pids);
        QFETCH(QVariantMap, startTimes);
        QFETCH(Signals, resumed);

        FreezeFixture f;
        f.processes.add(123, 1123);
        f.processes.add(124, 1124);
        if (pids.isValid())
            f.defaults.setValue(kPids, pids);
        f.defaults.setValue(kStartTimes, startTimes);
        QCOMPARE(FocusFreezeManager::recoverPausedProcesses(f.defaults, f.processes), resumed.size());
        QCOMPARE(f.signalsSent(), resumed);
        QVERIFY(!f.defaults.contains(kPids));
        QVERIFY(!f.defaults.contains(kStartTimes));
    }

    void recoveryAfterACrash()
    {
        FreezeFixture f;
        f.run({app(5, "Minecraft"), app(20, "Dropbox"), app(21, "OneDrive")});
        auto manager = f.make();
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(preset("minecraft"));
        manager->setEnabled(true);
        QCOMPARE(manager->frozenNames().size(), 2);

        // The application dies: what its defaults held stays on disk, nothing is resumed.
        FreezeFixture next;
        for (auto [key, value] : f.defaults.all().asKeyValueRange())
            next.defaults.setValue(key, value);
        next.processes.add(20, 1020);
        // OneDrive ended meanwhile and another process of the user got its identifier.
        next.processes.add(21, 4242);

        // The next start resumes Dropbox only; a new manager finds nothing left to resume.
        QCOMPARE(FocusFreezeManager::recoverPausedProcesses(next.defaults, next.processes), 1);
        QCOMPARE(next.signalsSent(), (Signals{{20, SIGCONT}}));
        auto second = next.make();
        QCOMPARE(next.signalsSent().size(), 1);
        QVERIFY(!next.defaults.contains(kPids));
    }

    void aNewManagerRecoversToo()
    {
        FreezeFixture f;
        f.processes.add(123, 1123);
        f.defaults.setValue(kPids, integers({123}));
        f.defaults.setValue(kStartTimes, QVariantMap{{"123", qint64(1123)}});
        auto manager = f.make();
        QCOMPARE(f.signalsSent(), (Signals{{123, SIGCONT}}));
        QVERIFY(!f.defaults.contains(kPids));
    }
};

QM_TEST_MAIN(TestFocusFreezeManager)
#include "tst_FocusFreezeManager.moc"
