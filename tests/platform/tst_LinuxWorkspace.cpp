#include "FakeProcTree.h"
#include "FakeProcessControl.h"
#include "FakeWindowList.h"
#include "TestMain.h"
#include "linux/LinuxWorkspace.h"

#include <QtConcurrent>

using namespace std::chrono_literals;
using Process = FakeProcTree::Process;

namespace {

Process process(qint32 pid, const QString& executable, qint32 parent = 1)
{
    Process p;
    p.pid = pid;
    p.command = QFileInfo(executable).fileName().left(15);
    p.executable = executable;
    p.parent = parent;
    p.startTime = 5000 + quint64(pid);
    return p;
}

Process inUnit(Process p, const QByteArray& unit)
{
    const QByteArray uid = QByteArray::number(::getuid());
    p.cgroup = "0::/user.slice/user-" + uid + ".slice/user@" + uid + ".service/" + unit + "\n";
    return p;
}

Process withEnvironment(Process p, const QByteArrayList& entries)
{
    p.environment = entries.join('\0');
    return p;
}

} // namespace

Q_DECLARE_METATYPE(Process)

class TestLinuxWorkspace : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_apps.isValid());
        writeEntry("steam.desktop", "Steam", "/opt/steam/steam");
        writeEntry("org.acme.Game.desktop", "Acme Game", "/opt/acme/game");
        writeEntry("spaced.desktop", "Game Space", "\"/opt/game space/run\" -x");
        writeEntry("kde/org.acme.Tool.desktop", "Acme Tool", "env FOO=1 BAR=2 /opt/acme/tool %f");
        writeEntry("hidden.desktop", "Hidden", "/opt/hidden/hidden\nHidden=true");
        writeEntry("pytool.desktop", "Py Tool", "/usr/bin/python3.11 /opt/pytool/main.py");
        writeEntry("shellwork.desktop", "Shell Work", "/usr/bin/bash -c 'make all'");
        writeEntry("packed.desktop", "Packed", "env GDK_BACKEND=x11 /usr/bin/flatpak run org.acme.Packed");
    }

    void scan_data()
    {
        QTest::addColumn<QList<Process>>("processes");
        QTest::addColumn<QList<qint32>>("windowOwners");
        QTest::addColumn<QString>("expected"); // "pid name [bundle]", "*" for background ones

        Process foreign = process(101, "/opt/tools/Tool");
        foreign.uid = foreign.effectiveUid = ::getuid() + 1;
        Process setuid = process(102, "/opt/tools/Tool");
        setuid.effectiveUid = ::getuid() + 1;
        Process kernel = process(103, "");
        kernel.command = "kworker/0:1";
        Process zombie = process(104, "/opt/tools/Tool");
        zombie.state = 'Z';
        QTest::newRow("own process named after its executable; not the user's, not a program, or ended")
            << QList{process(100, "/opt/tools/Tool"), foreign, setuid, kernel, zombie} << QList<qint32>{100, 101, 102, 104}
            << "100 Tool []";

        QTest::newRow("helpers of the same executable count as one, also for the window a helper owns")
            << QList{process(200, "/opt/chrome/chrome"), process(201, "/opt/chrome/chrome", 200),
                     process(202, "/opt/chrome/chrome", 201), process(203, "/usr/bin/cat", 201)}
            << QList<qint32>{202} << "200 chrome []";

        Process launched = process(301, "/opt/other/run");
        launched.environment = QByteArrayList{"HOME=/h",
                                              "GIO_LAUNCHED_DESKTOP_FILE=" + m_apps.filePath("org.acme.Game.desktop").toUtf8(),
                                              "GIO_LAUNCHED_DESKTOP_FILE_PID=301"}
                                   .join('\0');
        Process inherited = process(302, "/opt/other/child", 301);
        inherited.environment = launched.environment;
        QTest::newRow("desktop entry of the executable; the launcher's record only for the launched process")
            << QList{process(300, "/opt/steam/steam"), launched, inherited} << QList<qint32>{}
            << "300 Steam [steam] | 301 Acme Game [org.acme.Game]";
        QTest::newRow("quoted and env-prefixed commands, nested entry ids, hidden entries left out")
            << QList{process(310, "/opt/game space/run"), process(311, "/opt/acme/tool"), process(312, "/opt/hidden/hidden")}
            << QList<qint32>{} << "310 Game Space [spaced] | 311 Acme Tool [kde-org.acme.Tool]";

        Process systemService = process(403, "/opt/runner/Runner");
        systemService.cgroup = "0::/system.slice/runner.service\n";
        Process legacy = process(404, "/opt/daemon/gamed");
        legacy.cgroup = "9:name=systemd:" + inUnit(legacy, "gamemoded.service").cgroup.mid(3) + "0::/\n";
        QTest::newRow("the user's services run in the background")
            << QList{inUnit(process(400, "/usr/bin/pipewire"), "session.slice/pipewire.service"),
                     inUnit(process(401, "/usr/lib/systemd/systemd"), "init.scope"),
                     inUnit(process(402, "/opt/steam/steam"), "app.slice/app-gnome-steam-1234.scope"), systemService,
                     legacy}
            << QList<qint32>{400, 401, 403, 404}
            << "400 pipewire []* | 401 systemd []* | 402 Steam [steam] | 403 Runner [] | 404 gamed []*";

        Process odd = process(501, "/opt/odd/Odd");
        odd.command = "a) (b";
        QTest::newRow("deleted executable, odd short name")
            << QList{process(500, "/opt/game/Game (deleted)"), odd} << QList<qint32>{500, 501} << "500 Game [] | 501 Odd []";

        // A terminal with a shell and its commands, a script run by python3 (which has an entry of
        // its own), and a game in a window. Only the windows and the launched script count.
        const QList<Process> session{process(600, "/usr/bin/xterm"), process(601, "/usr/bin/bash", 600),
                                     process(602, "/usr/bin/ls", 601), process(603, "/usr/bin/make", 601),
                                     process(604, "/usr/bin/bash", 603), process(605, "/usr/bin/python3.11", 601),
                                     process(606, "/opt/games/Quake", 1), process(607, "/usr/bin/flatpak", 1)};
        QTest::newRow("a shell and its commands, interpreters and shared launchers are no applications")
            << session << QList<qint32>{600, 606} << "600 xterm [] | 606 Quake []";
        Process script = withEnvironment(process(610, "/usr/bin/python3.11"),
                                         {"GIO_LAUNCHED_DESKTOP_FILE=" + m_apps.filePath("pytool.desktop").toUtf8(),
                                          "GIO_LAUNCHED_DESKTOP_FILE_PID=610"});
        QTest::newRow("the interpreter entry names only the process it launched")
            << QList{script, process(611, "/usr/bin/python3.11"), process(612, "/usr/bin/python3.11", 610)}
            << QList<qint32>{611} << "610 Py Tool [pytool] | 611 python3.11 []";
    }

    void scan()
    {
        QFETCH(QList<Process>, processes);
        QFETCH(QList<qint32>, windowOwners);
        QFETCH(QString, expected);
        FakeProcTree tree;
        for (const Process& p : processes)
            tree.add(p);
        m_windows->with([&windowOwners](FakeWindowList::State& state) {
            state.reading.owners = QSet<qint32>(windowOwners.cbegin(), windowOwners.cend());
        });
        QStringList found;
        for (const RunningApplication& app : LinuxWorkspace(m_control, options(tree)).runningApplications()) {
            found.append(QStringLiteral("%1 %2 [%3]").arg(app.processIdentifier).arg(app.localizedName, app.bundleIdentifier) +
                         (app.activationPolicy == RunningApplication::ActivationPolicy::Prohibited ? "*" : ""));
            QVERIFY(!app.isTerminated && !app.executableLocation.isEmpty());
            QCOMPARE(app.startTime, 5000 + quint64(app.processIdentifier));
        }
        QCOMPARE(found.join(" | "), expected);
    }

    // A scan reads again only newcomers, applications and window owners; these are the changes it
    // must still see. The first state is scanned as often as it stays: twice makes it known from
    // before; a fork is followed by its exec well within one poll.
    void rescan_data()
    {
        QTest::addColumn<Process>("first");
        QTest::addColumn<Process>("then");
        QTest::addColumn<int>("firstScans");
        QTest::addColumn<QList<qint32>>("windowOwners");
        QTest::addColumn<QString>("expected");

        QTest::newRow("caught between fork and exec") << process(851, "/opt/games/Launcher", 850)
                                                      << process(851, "/opt/steam/steam", 850) << 1 << QList<qint32>{}
                                                      << "851 Steam";
        Process zombie = process(851, "/opt/steam/steam");
        zombie.state = 'Z';
        QTest::newRow("application ended, not yet reaped") << process(851, "/opt/steam/steam") << zombie << 2
                                                           << QList<qint32>{} << "";
        Process reused = process(851, "/opt/acme/game");
        reused.startTime = 9999;
        QTest::newRow("application's id taken by another") << process(851, "/opt/steam/steam") << reused << 2
                                                           << QList<qint32>{} << "851 Acme Game";
        Process foreign = process(851, "/usr/sbin/daemon");
        foreign.uid = foreign.effectiveUid = ::getuid() + 1;
        Process windowed = process(851, "/opt/games/Quake");
        windowed.startTime = 9999;
        QTest::newRow("another user's id taken by a windowed game")
            << foreign << windowed << 2 << QList<qint32>{851} << "851 Quake";
    }

    void rescan()
    {
        QFETCH(Process, first);
        QFETCH(Process, then);
        QFETCH(int, firstScans);
        QFETCH(QList<qint32>, windowOwners);
        QFETCH(QString, expected);
        FakeProcTree tree;
        tree.add(process(850, "/opt/games/Launcher"));
        tree.add(first);
        LinuxApplicationScanner scanner(tree.root(), {m_apps.path()});
        for (int i = 0; i < firstScans; ++i)
            scanner.scan();
        tree.add(then);
        WindowList::Reading windows;
        windows.owners = QSet<qint32>(windowOwners.cbegin(), windowOwners.cend());
        QStringList found;
        for (const RunningApplication& app : scanner.scan(windows).applications)
            found.append(QStringLiteral("%1 %2").arg(app.processIdentifier).arg(app.localizedName));
        QCOMPARE(found.join(" | "), expected);
    }

    void listingFollowsTheProcessCensus_data()
    {
        // Scans in turn: "<threads and last id in the load average, or - for none> [+pid:executable
        // started or changed in place | -pid ended | w:pid the one window's owner]"; the
        // applications of the last scan.
        QTest::addColumn<QStringList>("scans");
        QTest::addColumn<QString>("expected");

        QTest::newRow("a started process: the last id moved")
            << QStringList{"100 900", "101 870 +870:/opt/acme/game"} << "860 Steam | 870 Acme Game";
        QTest::newRow("an ended helper: the count moved, its helper stands alone")
            << QStringList{"100 900", "99 900 -861"} << "860 Steam | 862 Steam";
        QTest::newRow("caught between fork and exec, then nothing else started")
            << QStringList{"100 900", "101 870 +870:/opt/games/Launcher", "101 870 +870:/opt/acme/game"}
            << "860 Steam | 870 Acme Game";
        QTest::newRow("without a load average every scan lists")
            << QStringList{"-", "- +870:/opt/acme/game"} << "860 Steam | 870 Acme Game";
        QTest::newRow("an application replaced its program, nothing started")
            << QStringList{"100 900", "100 900", "100 900 +860:/opt/acme/game"} << "860 Acme Game | 861 Steam";
        QTest::newRow("a process opened a window, nothing started")
            << QStringList{"101 870 +870:/usr/bin/xterm", "101 870", "101 870", "101 870 w:870"}
            << "860 Steam | 870 xterm";
        QTest::newRow("its window closed, nothing ended")
            << QStringList{"101 870 +870:/usr/bin/xterm w:870", "101 870 w:870", "101 870 w:870", "101 870"}
            << "860 Steam";
    }

    void listingFollowsTheProcessCensus()
    {
        QFETCH(QStringList, scans);
        QFETCH(QString, expected);
        FakeProcTree tree;
        tree.add(process(860, "/opt/steam/steam"));
        tree.add(process(861, "/opt/steam/steam", 860));
        tree.add(process(862, "/opt/steam/steam", 861));
        LinuxApplicationScanner scanner(tree.root(), {m_apps.path()});
        QStringList found;
        for (const QString& scan : scans) {
            QStringList parts = scan.split(' ');
            WindowList::Reading windows;
            if (parts.last().startsWith("w:"))
                windows.owners.insert(parts.takeLast().mid(2).toInt());
            const bool changes = parts.last().size() > 1 && (parts.last()[0] == '+' || parts.last()[0] == '-');
            const QString change = changes ? parts.takeLast() : QString();
            QFile loadAverage(tree.root() + "/loadavg");
            if (parts[0] == "-")
                loadAverage.remove();
            else
                QVERIFY(loadAverage.open(QIODevice::WriteOnly) &&
                        loadAverage.write(("0.10 0.20 0.30 1/" + parts.join(' ') + "\n").toUtf8()) > 0);
            loadAverage.close();
            const qint32 pid = change.mid(1).section(':', 0, 0).toInt();
            if (change.startsWith('+'))
                tree.add(process(pid, change.section(':', 1)));
            else if (change.startsWith('-'))
                tree.remove(pid);
            found.clear();
            for (const RunningApplication& app : scanner.scan(windows).applications)
                found.append(QStringLiteral("%1 %2").arg(app.processIdentifier).arg(app.localizedName));
        }
        QCOMPARE(found.join(" | "), expected);
    }

    void launchNotices()
    {
        FakeProcTree tree;
        m_windows->set({});
        tree.add(process(600, "/opt/a/Already"));
        LinuxWorkspace workspace(m_control, options(tree));
        QSignalSpy launched(&workspace, &Workspace::applicationLaunched);
        // Waits for the first snapshot, read in the background: what runs then was not launched.
        workspace.runningApplications();
        tree.add(process(601, "/opt/steam/steam"));
        QVERIFY(launched.wait(2000));
        QCOMPARE(launched.first().first().value<RunningApplication>().localizedName, "Steam");
        // The same identifier with another start time is another process.
        Process again = process(601, "/opt/steam/steam");
        again.startTime = 9999;
        tree.add(again);
        QVERIFY(launched.wait(2000));
        QCOMPARE(launched.size(), 2);
        QCOMPARE(launched.last().first().value<RunningApplication>().startTime, 9999u);
    }

    // Unwatched, the poll rests and no notice comes, yet a query sees what runs now; watched again,
    // it announces what changes from then on, never what changed in between.
    void unwatchedRestsButAnswersFromNow()
    {
        FakeProcTree tree;
        tree.add(process(900, "/opt/acme/game"));
        LinuxWorkspace workspace(m_control, options(tree));
        QSignalSpy launched(&workspace, &Workspace::applicationLaunched);
        QSignalSpy ended(&workspace, &Workspace::applicationTerminated);
        QSignalSpy resumed(&workspace, &Workspace::watchingResumed);
        QCOMPARE(workspace.runningApplications().size(), 1);
        workspace.setWatched(false);
        // Longer than a poll interval, so the next query reads anew. Its read is queued behind a
        // poll still in flight, so once it returns the poll thread is idle.
        QTest::qWait(20);
        workspace.runningApplications();
        const qsizetype readsAtRest = m_windows->get().readers.size();

        tree.add(process(901, "/opt/steam/steam"));
        tree.remove(900);
        // Time for polls to come, were the poll not resting.
        QTest::qWait(20);
        QCOMPARE(m_windows->get().readers.size(), readsAtRest);
        const QList<RunningApplication> now = workspace.runningApplications();
        QCOMPARE(now.size(), 1);
        QCOMPARE(now.first().localizedName, "Steam");
        QCOMPARE(m_windows->get().readers.size(), readsAtRest + 1);
        QCoreApplication::processEvents();
        QCOMPARE(launched.size(), 0);
        QCOMPARE(ended.size(), 0);
        QCOMPARE(resumed.size(), 0);

        workspace.setWatched(true);
        QTRY_COMPARE(resumed.size(), 1);
        QCOMPARE(launched.size(), 0);
        tree.add(process(902, "/opt/acme/game"));
        QTRY_COMPARE(launched.size(), 1);
        QCOMPARE(launched.first().first().value<RunningApplication>().processIdentifier, 902);
        QCOMPARE(ended.size(), 0);
    }

    void commandsInAShellAreNoLaunches()
    {
        FakeProcTree tree;
        tree.add(process(700, "/usr/bin/xterm"));
        m_windows->set({{{700}, 700}, {}});
        LinuxWorkspace workspace(m_control, options(tree));
        QSignalSpy launched(&workspace, &Workspace::applicationLaunched);
        QCOMPARE(workspace.runningApplications().size(), 1);
        tree.add(process(701, "/usr/bin/bash", 700));
        for (qint32 pid = 702; pid < 722; ++pid)
            tree.add(process(pid, pid % 2 ? "/usr/bin/git" : "/usr/bin/ls", 701));
        tree.add(process(722, "/usr/bin/python3.11", 701));
        // Polls see the tree in order: had a command been taken for a launch, it would come first.
        tree.add(process(730, "/opt/games/Quake", 701));
        m_windows->with([](FakeWindowList::State& state) { state.reading.owners.insert(730); });
        QVERIFY(launched.wait(2000));
        QCOMPARE(launched.size(), 1);
        QCOMPARE(launched.first().first().value<RunningApplication>().processIdentifier, 730);
    }

    void oneSharedSnapshotReadOnOneThread()
    {
        FakeProcTree tree;
        tree.add(process(800, "/opt/games/Quake"));
        tree.add(process(801, "/opt/games/Quake", 800));
        m_windows->set({{{800}, 801}, {}});
        LinuxWorkspace::Options slow = options(tree);
        slow.pollInterval = 1h;
        LinuxWorkspace workspace(m_control, slow);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(workspace.runningApplications().size(), 1);
            // The active window belongs to a helper; the application is its owner.
            QCOMPARE(workspace.frontmostApplication()->processIdentifier, 800);
        }
        QTRY_COMPARE(QtConcurrent::run([&workspace] { return workspace.runningApplications().size(); }).result(), 1);
        const QList<QThread*> readers = m_windows->get().readers;
        QCOMPARE(readers.size(), 1);
        QVERIFY(readers.first() != QThread::currentThread());
    }

    void init() { m_windows->set({}); }

private:
    LinuxWorkspace::Options options(const FakeProcTree& tree) const
    {
        return {tree.root(), {m_apps.path()}, 10ms, [state = m_windows] { return std::make_unique<FakeWindowList>(state); }};
    }
    void writeEntry(const QString& file, const QByteArray& name, const QByteArray& exec)
    {
        QDir().mkpath(QFileInfo(m_apps.filePath(file)).path());
        QFile entry(m_apps.filePath(file));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n");
    }

    QTemporaryDir m_apps;
    FakeProcessControl m_control;
    std::shared_ptr<Locked<FakeWindowList::State>> m_windows = std::make_shared<Locked<FakeWindowList::State>>();
};

QM_TEST_MAIN(TestLinuxWorkspace)
#include "tst_LinuxWorkspace.moc"
