#include "FakeProcTree.h"
#include "FakeProcessControl.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "linux/LinuxWorkspace.h"

using namespace std::chrono_literals;
using Process = FakeProcTree::Process;

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

Process inUnit(Process p, const QByteArray& unit)
{
    const QByteArray uid = QByteArray::number(::getuid());
    p.cgroup = "0::/user.slice/user-" + uid + ".slice/user@" + uid + ".service/" + unit + "\n";
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
    }

    void scan_data()
    {
        QTest::addColumn<QList<Process>>("processes");
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
            << QList{process(100, "/opt/tools/Tool"), foreign, setuid, kernel, zombie} << "100 Tool []";

        QTest::newRow("helpers of the same executable count as one")
            << QList{process(200, "/opt/chrome/chrome"), process(201, "/opt/chrome/chrome", 200),
                     process(202, "/opt/chrome/chrome", 201), process(203, "/usr/bin/cat", 201)}
            << "200 chrome [] | 203 cat []";

        Process launched = process(301, "/opt/other/run");
        launched.environment = QByteArrayList{"HOME=/h",
                                              "GIO_LAUNCHED_DESKTOP_FILE=" + m_apps.filePath("org.acme.Game.desktop").toUtf8(),
                                              "GIO_LAUNCHED_DESKTOP_FILE_PID=301"}
                                   .join('\0');
        Process inherited = process(302, "/opt/other/child", 301);
        inherited.environment = launched.environment;
        QTest::newRow("desktop entry of the executable; the launcher's record only for the launched process")
            << QList{process(300, "/opt/steam/steam"), launched, inherited}
            << "300 Steam [steam] | 301 Acme Game [org.acme.Game] | 302 child []";
        QTest::newRow("quoted and env-prefixed commands, nested entry ids, hidden entries left out")
            << QList{process(310, "/opt/game space/run"), process(311, "/opt/acme/tool"), process(312, "/opt/hidden/hidden")}
            << "310 Game Space [spaced] | 311 Acme Tool [kde-org.acme.Tool] | 312 hidden []";

        Process systemService = process(403, "/opt/runner/Runner");
        systemService.cgroup = "0::/system.slice/runner.service\n";
        Process legacy = process(404, "/opt/daemon/gamed");
        legacy.cgroup = "9:name=systemd:" + inUnit(legacy, "gamemoded.service").cgroup.mid(3) + "0::/\n";
        QTest::newRow("the user's services run in the background")
            << QList{inUnit(process(400, "/usr/bin/pipewire"), "session.slice/pipewire.service"),
                     inUnit(process(401, "/usr/lib/systemd/systemd"), "init.scope"),
                     inUnit(process(402, "/opt/steam/steam"), "app.slice/app-gnome-steam-1234.scope"), systemService,
                     legacy}
            << "400 pipewire []* | 401 systemd []* | 402 Steam [steam] | 403 Runner [] | 404 gamed []*";

        Process odd = process(501, "/opt/odd/Odd");
        odd.command = "a) (b";
        QTest::newRow("deleted executable, odd short name")
            << QList{process(500, "/opt/game/Game (deleted)"), odd} << "500 Game [] | 501 Odd []";
    }

    void scan()
    {
        QFETCH(QList<Process>, processes);
        QFETCH(QString, expected);
        FakeProcTree tree;
        for (const Process& p : processes)
            tree.add(p);
        QStringList found;
        for (const RunningApplication& app : LinuxWorkspace(m_runner, m_control, options(tree)).runningApplications()) {
            found.append(QStringLiteral("%1 %2 [%3]").arg(app.processIdentifier).arg(app.localizedName, app.bundleIdentifier) +
                         (app.activationPolicy == RunningApplication::ActivationPolicy::Prohibited ? "*" : ""));
            QVERIFY(!app.isTerminated && !app.executableLocation.isEmpty());
            QCOMPARE(app.startTime, 5000 + quint64(app.processIdentifier));
        }
        QCOMPARE(found.join(" | "), expected);
    }

    void launchNotices()
    {
        FakeProcTree tree;
        tree.add(process(600, "/opt/a/Already"));
        LinuxWorkspace workspace(m_runner, m_control, options(tree));
        QSignalSpy launched(&workspace, &Workspace::applicationLaunched);
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

private:
    LinuxWorkspace::Options options(const FakeProcTree& tree) const { return {tree.root(), {m_apps.path()}, 10ms}; }
    void writeEntry(const QString& file, const QByteArray& name, const QByteArray& exec)
    {
        QDir().mkpath(QFileInfo(m_apps.filePath(file)).path());
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
