#include "FakeDefaults.h"
#include "OptimizerFixture.h"
#include "TestMain.h"
#include "tuning/FocusFreezeManager.h"
#include "tuning/GameProfilePresets.h"

#include <csignal>

namespace {

using Policy = RunningApplication::ActivationPolicy;
using Signals = QList<std::pair<qint32, int>>;

constexpr qint32 kOwnPid = 999;

const GameProfile& minecraft()
{
    return GameProfilePresets::all().first();
}

// Background Freeze over the fakes, in an application of its own process and bundle identifier.
struct FreezeFixture : OptimizerFixture {
    FakeDefaults defaults;

    explicit FreezeFixture(const QList<RunningApplication>& running = {})
    {
        processes.setOwnProcessId(kOwnPid);
        run(running);
    }
    std::unique_ptr<FocusFreezeManager> make()
    {
        return std::make_unique<FocusFreezeManager>(
            FocusFreezeManager::Services{workspace, processes, defaults},
            FocusFreezeManager::Options{kOwnPid, "org.quillmarsh.app", std::chrono::hours(1)});
    }
    Signals sent() const
    {
        Signals calls;
        for (const auto& call : processes.signalCalls())
            calls.append({call.pid, call.signal});
        return calls;
    }
    // Brings an application to the front and lets the manager hear of it.
    void activate(qint32 pid)
    {
        workspace.setFrontmost(pid);
        emit workspace.applicationActivated(app(pid, {}));
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestFocusFreezeManager : public QObject {
    Q_OBJECT
private slots:
    void candidates_data()
    {
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<QStringList>("candidates");

        QTest::newRow("keywords in name or bundle; Safe first; by name without regard to case")
            << QList{app(10, "Safari", "com.apple.Safari"), app(11, "Dropbox", "com.getdropbox.dropbox"),
                     app(12, "brave"), app(13, "adobe Updater"), app(14, "Steam Helper"), app(15, "Notes"),
                     app(16, "Player", "com.spotify.client"), app(17, "Box Drive", "", Policy::Accessory),
                     app(18, "", "", Policy::Regular, "/opt/Mega/MEGAsync.bin")}
            << QStringList{"adobe Updater|adobe Updater Safe", "Box Drive|Box Drive Safe",
                           "com.getdropbox.dropbox|Dropbox Safe", "MEGAsync|MEGAsync Safe",
                           "Steam Helper|Steam Helper Safe", "brave|brave Review", "com.spotify.client|Player Review",
                           "com.apple.Safari|Safari Review"};
        QTest::newRow("never the system, tools, background-only, this application or the nameless")
            << QList{app(10, "Finder Sync"), app(11, "terminal Update"), app(12, "XCODE Helper"), app(13, "Quillmarsh"),
                     app(14, "Dropbox Agent", "", Policy::Prohibited), app(kOwnPid, "Sync Helper"),
                     app(16, "", "", Policy::Regular, ""), app(17, "Box", "org.quillmarsh.app")}
            << QStringList{};
        QTest::newRow("never a program of the desktop session, whatever it is called")
            << QList{app(10, "Sound Sync", "", Policy::Regular, "/usr/bin/pipewire"),
                     app(11, "Update Helper", "", Policy::Regular, "/usr/libexec/gnome-terminal-server"),
                     app(12, "Dropbox Shell", "", Policy::Regular, "/bin/bash"),
                     app(13, "KDE Backup", "", Policy::Regular, "/usr/bin/kwin_x11"),
                     app(14, "Photo Sync", "", Policy::Regular, "/usr/bin/shotwell")}
            << QStringList{"Photo Sync|Photo Sync Safe"};
        QTest::newRow("never the linked game, nor a helper named after it")
            << QList{app(10, "Minecraft", "com.mojang.minecraft"), app(11, "Minecraft Updater"), app(12, "Discord")}
            << QStringList{"Discord|Discord Review"};
    }

    void candidates()
    {
        QFETCH(QList<RunningApplication>, running);
        QFETCH(QStringList, candidates);
        FreezeFixture f(running);
        auto manager = f.make();
        manager->setActiveProfile(minecraft());
        QStringList found;
        for (const FreezeCandidate& candidate : manager->candidates())
            found.append(candidate.id + ' ' + FreezeCandidate::riskText(candidate.risk));
        QCOMPARE(found, candidates);
    }

    void pausesWhileTheGameIsInFrontAndRecoversAfterACrash()
    {
        FreezeFixture f({app(5, "Minecraft"), app(6, "Notes"), app(20, "Dropbox"), app(21, "Google Drive"),
                         app(30, "Safari")});
        auto manager = f.make();
        f.workspace.setFrontmost(5);
        manager->setActiveProfile(minecraft());
        QVERIFY(f.sent().isEmpty());

        // The Safe candidates are selected at the first run.
        manager->setEnabled(true);
        QCOMPARE(f.sent(), (Signals{{20, SIGSTOP}, {21, SIGSTOP}}));
        QCOMPARE(manager->statusText(), "Minecraft is active. Frozen: Dropbox, Google Drive.");
        QCOMPARE(f.defaults.value(FrozenProcessStore::pidsKey).toList(), (QVariantList{qint64(20), qint64(21)}));
        // What a crash now would leave behind.
        const QVariantMap atCrash = f.defaults.all();
        f.activate(5);
        QCOMPARE(f.sent().size(), 2);

        f.activate(6);
        QCOMPARE(f.sent().mid(2), (Signals{{20, SIGCONT}, {21, SIGCONT}}));
        QCOMPARE(manager->statusText(), "Background apps are awake while you are outside Minecraft.");
        QCOMPARE(f.defaults.value(FrozenProcessStore::pidsKey).toList(), QVariantList{});

        f.activate(5);
        manager->resumeAll();
        QCOMPARE(f.sent().mid(4), (Signals{{20, SIGSTOP}, {21, SIGSTOP}, {20, SIGCONT}, {21, SIGCONT}}));

        // Going away resumes too.
        f.activate(5);
        manager.reset();
        QCOMPARE(f.sent().mid(8), (Signals{{20, SIGSTOP}, {21, SIGSTOP}, {20, SIGCONT}, {21, SIGCONT}}));

        // The next start after the crash resumes Dropbox only: Google Drive ended meanwhile and another
        // process of the user got its identifier.
        FreezeFixture next;
        for (auto [key, value] : atCrash.asKeyValueRange())
            next.defaults.setValue(key, value);
        next.processes.add(20, app(20, "Dropbox").startTime);
        next.processes.add(21, 4242);
        QCOMPARE(FocusFreezeManager::recoverPausedProcesses(next.defaults, next.processes), 1);
        QCOMPARE(next.sent(), (Signals{{20, SIGCONT}}));
        QVERIFY(!next.defaults.contains(FrozenProcessStore::pidsKey));
        QVERIFY(!next.defaults.contains(FrozenProcessStore::startTimesKey));
        // A new manager finds nothing left to resume.
        next.make();
        QCOMPARE(next.sent().size(), 1);
    }
};

QM_TEST_MAIN(TestFocusFreezeManager)
#include "tst_FocusFreezeManager.moc"
