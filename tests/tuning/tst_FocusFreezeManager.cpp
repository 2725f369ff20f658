#include "FakeDefaults.h"
#include "FakeProcessControl.h"
#include "Locked.h"
#include "OptimizerFixture.h"
#include "TestMain.h"
#include "tuning/FocusFreezeManager.h"
#include "tuning/GameProfilePresets.h"

#include <QScopeGuard>
#include <QSemaphore>
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

// Fake processes that also note the threads their signals were sent from.
class ThreadNotingControl final : public ProcessControl {
public:
    FakeProcessControl fake;

    QSet<QThread*> signallers() const { return m_signallers.get(); }
    std::optional<int> priority(const ProcessIdentity& process) override { return fake.priority(process); }
    bool setPriority(const ProcessIdentity& process, int nice) override { return fake.setPriority(process, nice); }
    bool mayRaisePriorityTo(const ProcessIdentity& process, int nice) override
    {
        return fake.mayRaisePriorityTo(process, nice);
    }
    bool sendSignal(const ProcessIdentity& process, int signal) override
    {
        m_signallers.with([](QSet<QThread*>& threads) { threads.insert(QThread::currentThread()); });
        return fake.sendSignal(process, signal);
    }

private:
    Locked<QSet<QThread*>> m_signallers;
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

    // A record no run of ours could leave (a damaged or planted one) is looked at only as far as the
    // limit, and a long one is recovered away from the caller's thread; the record goes at once either way.
    void storedRecordsOfAnySizeAreRecovered_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("running"); // positions in the record of processes still paused
        QTest::addColumn<QList<int>>("resumed");
        QTest::addColumn<bool>("inBackground");
        QTest::addColumn<bool>("keptAside");
        QTest::newRow("a few, at once") << 3 << QList{0, 2} << QList{0, 2} << false << false;
        const int foreground = int(FrozenProcessStore::foregroundRecoveryLimit);
        QTest::newRow("as many as are done at once")
            << foreground << QList{foreground - 1} << QList{foreground - 1} << false << false;
        QTest::newRow("one more, in the background")
            << foreground + 1 << QList{0, foreground} << QList{0, foreground} << true << false;
        const int limit = int(FrozenProcessStore::recoveryLimit);
        QTest::newRow("as many as are looked at") << limit << QList{0, limit - 1} << QList{0, limit - 1} << true << false;
        QTest::newRow("only the first ones of a huge record, the whole of it kept aside")
            << 200'000 << QList{0, limit - 1, limit, 199'999} << QList{0, limit - 1} << true << true;
    }
    void storedRecordsOfAnySizeAreRecovered()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, running);
        QFETCH(QList<int>, resumed);
        QFETCH(bool, inBackground);
        QFETCH(bool, keptAside);
        FakeDefaults defaults;
        QVariantList pids;
        QVariantMap startTimes;
        for (int i = 0; i < size; ++i) {
            pids.append(qint64(100 + i));
            startTimes.insert(QString::number(100 + i), qint64(7000 + i));
        }
        defaults.setValue(FrozenProcessStore::pidsKey, pids);
        defaults.setValue(FrozenProcessStore::startTimesKey, startTimes);
        auto control = std::make_shared<ThreadNotingControl>();
        for (const int position : running)
            control->fake.add(100 + position, 7000 + quint64(position));

        // The pool is kept busy until a new run has paused a process and stored it: the record is
        // taken when recoverSoon() returns, so the new one is neither resumed nor removed.
        QThreadPool pool;
        pool.setMaxThreadCount(1);
        QSemaphore busy;
        pool.start([&busy] { busy.acquire(); });
        const auto freePool = qScopeGuard([&] {
            busy.release();
            pool.waitForDone();
        });
        FrozenProcessStore::recoverSoon(defaults, control, pool);
        QVERIFY(!defaults.contains(FrozenProcessStore::pidsKey));
        QVERIFY(!defaults.contains(FrozenProcessStore::startTimesKey));
        QCOMPARE(defaults.asideValues().value(FrozenProcessStore::pidsKey).toList().size(), keptAside ? size : 0);
        QCOMPARE(defaults.asideValues().value(FrozenProcessStore::startTimesKey).toMap().size(), keptAside ? size : 0);
        const ProcessIdentity pausedNow{50, 5000};
        control->fake.add(pausedNow.pid, pausedNow.startTime);
        FrozenProcessStore(defaults).save({pausedNow});
        busy.release();
        pool.waitForDone();
        QList<int> signalled;
        for (const auto& call : control->fake.signalCalls()) {
            QCOMPARE(call.signal, SIGCONT);
            signalled.append(call.pid - 100);
        }
        QCOMPARE(signalled, resumed);
        QCOMPARE(control->signallers().contains(QThread::currentThread()), !inBackground);
        QCOMPARE(control->signallers().size(), 1);
        QCOMPARE(defaults.value(FrozenProcessStore::pidsKey).toList(), QVariantList{qint64(pausedNow.pid)});
    }

    // A stored value of a kind this application never writes there reads as nothing and is kept
    // aside, never erased or written over; the rest of the record goes as usual.
    void recordsOfAnotherKindAreKeptAside_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("identifiers as data") << FrozenProcessStore::pidsKey << QVariant(QByteArray("[20]"));
        QTest::newRow("start times as a list") << FrozenProcessStore::startTimesKey << QVariant(QVariantList{20, 7});
        QTest::newRow("selection as data") << FocusFreezeManager::selectedCandidatesKey << QVariant(QByteArray("dropbox"));
        QTest::newRow("selection as a dictionary")
            << FocusFreezeManager::selectedCandidatesKey << QVariant(QVariantMap{{"dropbox", true}});
        QTest::newRow("selection of numbers") << FocusFreezeManager::selectedCandidatesKey << QVariant(QVariantList{1, 2});
    }
    void recordsOfAnotherKindAreKeptAside()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        FreezeFixture f({app(5, "Minecraft"), app(20, "Dropbox")});
        FrozenProcessStore(f.defaults).save({{20, app(20, "Dropbox").startTime}});
        f.defaults.setValue(key, value);
        const bool frozenRecord = key != FocusFreezeManager::selectedCandidatesKey;
        const auto manager = f.make();
        QCOMPARE(f.defaults.asideValues().value(key), value);
        QVERIFY(!f.defaults.contains(FrozenProcessStore::pidsKey));
        QVERIFY(!f.defaults.contains(FrozenProcessStore::startTimesKey));
        const Signals resumed = frozenRecord ? Signals() : Signals{{20, SIGCONT}};
        QCOMPARE(f.sent(), resumed);
        // The selection is then the default one: the Safe candidate.
        QCOMPARE(f.defaults.array(FocusFreezeManager::selectedCandidatesKey),
                 std::optional(QVariantList{manager->candidates().first().id}));
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
