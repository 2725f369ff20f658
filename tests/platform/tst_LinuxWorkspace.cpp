#include "FakeProcTree.h"
#include "FakeProcessControl.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "linux/LinuxWorkspace.h"

#include <csignal>

using namespace std::chrono_literals;
using Process = FakeProcTree::Process;
using Policy = RunningApplication::ActivationPolicy;

namespace {

const QString kXprop = "/usr/bin/xprop";
const QStringList kActiveWindow{"-root", "-notype", "_NET_ACTIVE_WINDOW"};

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

QByteArray userUnit(const QByteArray& unit)
{
    const QByteArray uid = QByteArray::number(::getuid());
    return "0::/user.slice/user-" + uid + ".slice/user@" + uid + ".service/" + unit + "\n";
}

struct Expected {
    qint32 pid;
    QString name;
    QString bundle;
    Policy policy;
    friend bool operator==(const Expected&, const Expected&) = default;
};

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
    }

    void scan_data()
    {
        QTest::addColumn<QList<Process>>("processes");
        QTest::addColumn<QList<Expected>>("expected");

        QTest::newRow("own process named after its executable")
            << QList{process(100, "/opt/tools/Tool")} << QList<Expected>{{100, "Tool", "", Policy::Regular}};

        Process foreign = process(101, "/opt/tools/Tool");
        foreign.uid = foreign.effectiveUid = ::getuid() + 1;
        Process setuid = process(102, "/opt/tools/Tool");
        setuid.effectiveUid = ::getuid() + 1;
        Process kernel = process(103, "");
        kernel.command = "kworker/0:1";
        Process zombie = process(104, "/opt/tools/Tool");
        zombie.state = 'Z';
        QTest::newRow("not the user's, not a program, or ended")
            << QList{foreign, setuid, kernel, zombie} << QList<Expected>{};

        QTest::newRow("helpers of the same executable count as one")
            << QList{process(200, "/opt/chrome/chrome"), process(201, "/opt/chrome/chrome", 200),
                     process(202, "/opt/chrome/chrome", 201), process(203, "/usr/bin/cat", 201)}
            << QList<Expected>{{200, "chrome", "", Policy::Regular}, {203, "cat", "", Policy::Regular}};

        QTest::newRow("desktop entry of the executable")
            << QList{process(300, "/opt/steam/steam")} << QList<Expected>{{300, "Steam", "steam", Policy::Regular}};

        Process launched = process(301, "/opt/other/run");
        launched.environment = QByteArrayList{"HOME=/h",
                                              "GIO_LAUNCHED_DESKTOP_FILE=" + m_apps.filePath("org.acme.Game.desktop").toUtf8(),
                                              "GIO_LAUNCHED_DESKTOP_FILE_PID=301"}
                                   .join('\0');
        Process inherited = process(302, "/opt/other/child", 301);
        inherited.environment = launched.environment;
        QTest::newRow("the launcher's record, only for the launched process")
            << QList{launched, inherited}
            << QList<Expected>{{301, "Acme Game", "org.acme.Game", Policy::Regular},
                               {302, "child", "", Policy::Regular}};

        Process service = process(400, "/usr/bin/pipewire");
        service.cgroup = userUnit("session.slice/pipewire.service");
        Process manager = process(401, "/usr/lib/systemd/systemd");
        manager.cgroup = userUnit("init.scope");
        Process scoped = process(402, "/opt/steam/steam");
        scoped.cgroup = userUnit("app.slice/app-gnome-steam-1234.scope");
        Process systemService = process(403, "/opt/runner/Runner");
        systemService.cgroup = "0::/system.slice/runner.service\n";
        Process legacy = process(404, "/opt/daemon/gamed");
        legacy.cgroup = "9:name=systemd:" + userUnit("gamemoded.service").mid(3) + "0::/\n";
        QTest::newRow("the user's services run in the background")
            << QList{service, manager, scoped, systemService, legacy}
            << QList<Expected>{{400, "pipewire", "", Policy::Prohibited},
                               {401, "systemd", "", Policy::Prohibited},
                               {402, "Steam", "steam", Policy::Regular},
                               {403, "Runner", "", Policy::Regular},
                               {404, "gamed", "", Policy::Prohibited}};

        Process deleted = process(500, "/opt/game/Game (deleted)");
        Process odd = process(501, "/opt/odd/Odd");
        odd.command = "a) (b";
        QTest::newRow("deleted executable, odd short name")
            << QList{deleted, odd}
            << QList<Expected>{{500, "Game", "", Policy::Regular}, {501, "Odd", "", Policy::Regular}};
    }

    void scan()
    {
        QFETCH(QList<Process>, processes);
        QFETCH(QList<Expected>, expected);
        FakeProcTree tree;
        for (const Process& p : processes)
            tree.add(p);
        LinuxWorkspace workspace(m_runner, m_control, options(tree));

        QList<Expected> found;
        for (const RunningApplication& app : workspace.runningApplications()) {
            found.append({app.processIdentifier, app.localizedName, app.bundleIdentifier, app.activationPolicy});
            QVERIFY(!app.isTerminated);
            QCOMPARE(app.startTime, 5000 + quint64(app.processIdentifier));
            QVERIFY(!app.executableLocation.isEmpty());
        }
        QCOMPARE(found, expected);
    }

    void notices()
    {
        FakeProcTree tree;
        tree.add(process(600, "/opt/a/Already"));
        LinuxWorkspace workspace(m_runner, m_control, options(tree));
        QSignalSpy launched(&workspace, &Workspace::applicationLaunched);
        QSignalSpy terminated(&workspace, &Workspace::applicationTerminated);

        tree.add(process(601, "/opt/steam/steam"));
        QVERIFY(launched.wait(2000));
        QCOMPARE(launched.size(), 1);
        const auto app = launched.first().first().value<RunningApplication>();
        QCOMPARE(app.processIdentifier, 601);
        QCOMPARE(app.localizedName, "Steam");
        QVERIFY(terminated.isEmpty());

        // The same identifier with another start time is another process.
        Process again = process(601, "/opt/steam/steam");
        again.startTime = 9999;
        tree.add(again);
        QVERIFY(launched.wait(2000));
        QCOMPARE(terminated.size(), 1);
        QCOMPARE(terminated.first().first().value<RunningApplication>().startTime, 5601u);

        tree.remove(600);
        QVERIFY(terminated.wait(2000));
        const auto gone = terminated.last().first().value<RunningApplication>();
        QCOMPARE(gone.processIdentifier, 600);
        QVERIFY(gone.isTerminated);
        QCOMPARE(launched.size(), 2);
    }

    void frontmost_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<std::optional<ProcessResult>>("active");
        QTest::addColumn<std::optional<ProcessResult>>("owner");
        QTest::addColumn<qint32>("expected");

        const auto window = std::optional(ProcessResult::exited(0, "_NET_ACTIVE_WINDOW: window id # 0x3a00007\n"));
        QTest::newRow("owner of the active window") << QByteArray(":0") << window
                                                    << std::optional(ProcessResult::exited(0, "_NET_WM_PID = 700\n"))
                                                    << 700;
        QTest::newRow("a helper stands for its application")
            << QByteArray(":0") << window << std::optional(ProcessResult::exited(0, "_NET_WM_PID = 701\n")) << 700;
        QTest::newRow("no X display") << QByteArray() << window
                                      << std::optional(ProcessResult::exited(0, "_NET_WM_PID = 700\n")) << 0;
        QTest::newRow("no active window")
            << QByteArray(":0") << std::optional(ProcessResult::exited(0, "_NET_ACTIVE_WINDOW: window id # 0x0\n"))
            << std::optional(ProcessResult::exited(0, "_NET_WM_PID = 700\n")) << 0;
        QTest::newRow("window without a process") << QByteArray(":0") << window
                                                  << std::optional(ProcessResult::exited(0, "_NET_WM_PID:  not found.\n"))
                                                  << 0;
        QTest::newRow("another user's window")
            << QByteArray(":0") << window << std::optional(ProcessResult::exited(0, "_NET_WM_PID = 4242\n")) << 0;
        QTest::newRow("xprop missing") << QByteArray(":0") << std::optional<ProcessResult>()
                                       << std::optional<ProcessResult>() << 0;
        QTest::newRow("xprop fails") << QByteArray(":0") << std::optional(ProcessResult::exited(1))
                                     << std::optional<ProcessResult>() << 0;
    }

    void frontmost()
    {
        QFETCH(QByteArray, display);
        QFETCH(std::optional<ProcessResult>, active);
        QFETCH(std::optional<ProcessResult>, owner);
        QFETCH(qint32, expected);

        FakeProcTree tree;
        tree.add(process(700, "/opt/acme/game"));
        tree.add(process(701, "/opt/acme/game", 700));
        FakeProcessRunner runner;
        if (active)
            runner.respond(kXprop, kActiveWindow, *active);
        if (owner)
            runner.respond(kXprop, {"-id", "0x3a00007", "-notype", "_NET_WM_PID"}, *owner);
        qputenv("DISPLAY", display);
        LinuxWorkspace workspace(runner, m_control, options(tree));
        const auto front = workspace.frontmostApplication();
        qunsetenv("DISPLAY");
        QCOMPARE(front ? front->processIdentifier : 0, expected);
    }

    void activationNotices()
    {
        FakeProcTree tree;
        tree.add(process(800, "/opt/a/First"));
        tree.add(process(801, "/opt/b/Second"));
        FakeProcessRunner runner;
        runner.respond(kXprop, kActiveWindow, ProcessResult::exited(0, "_NET_ACTIVE_WINDOW: window id # 0x10\n"));
        runner.respond(kXprop, {"-id", "0x10", "-notype", "_NET_WM_PID"}, ProcessResult::exited(0, "_NET_WM_PID = 800\n"));
        qputenv("DISPLAY", ":0");
        LinuxWorkspace workspace(runner, m_control, options(tree));

        // Nobody listens yet: the active window is not asked for.
        QSignalSpy launched(&workspace, &Workspace::applicationLaunched);
        tree.add(process(802, "/opt/c/Third"));
        QVERIFY(launched.wait(2000));
        QVERIFY(runner.calls().isEmpty());

        QSignalSpy activated(&workspace, &Workspace::applicationActivated);
        QVERIFY(activated.wait(2000));
        QCOMPARE(activated.first().first().value<RunningApplication>().processIdentifier, 800);

        runner.respond(kXprop, {"-id", "0x10", "-notype", "_NET_WM_PID"}, ProcessResult::exited(0, "_NET_WM_PID = 801\n"));
        QVERIFY(activated.wait(2000));
        QCOMPARE(activated.last().first().value<RunningApplication>().processIdentifier, 801);
        // The same application in front again is no news.
        const auto calls = runner.calls().size();
        QTRY_VERIFY(runner.calls().size() >= calls + 4);
        QCOMPARE(activated.size(), 2);
        qunsetenv("DISPLAY");
    }

    void quitRequestIsSigterm()
    {
        FakeProcTree tree;
        tree.add(process(900, "/opt/d/Discord"));
        FakeProcessControl control;
        control.add(900, 5900);
        LinuxWorkspace workspace(m_runner, control, options(tree));
        const auto apps = workspace.runningApplications();
        QCOMPARE(apps.size(), 1);
        QVERIFY(workspace.requestQuit(apps.first()));
        QCOMPARE(control.signalCalls().size(), 1);
        QCOMPARE(control.signalCalls().first().pid, 900);
        QCOMPARE(control.signalCalls().first().signal, SIGTERM);

        // A process that has since been replaced is not signalled.
        control.recycle(900, 1);
        QVERIFY(!workspace.requestQuit(apps.first()));
        QCOMPARE(control.signalCalls().size(), 1);
    }

private:
    LinuxWorkspace::Options options(const FakeProcTree& tree) const
    {
        return {tree.root(), {m_apps.path()}, 10ms};
    }
    void writeEntry(const QString& file, const QByteArray& name, const QByteArray& exec)
    {
        QFile entry(m_apps.filePath(file));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n");
    }

    QTemporaryDir m_apps;
    FakeProcessRunner m_runner;
    FakeProcessControl m_control;
};

QM_TEST_MAIN(TestLinuxWorkspace)
#include "tst_LinuxWorkspace.moc"
