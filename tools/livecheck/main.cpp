// Live check of game profiles and Background Freeze with the real services of this machine.
//
//   qm_livecheck                      the check itself (run it under X with a window manager: ./run)
//   qm_livecheck --host [--freeze ID] the services as the application runs them; prints what happens
//   qm_livecheck --window             a window, standing in for a game or another application
//
// The check starts a background process named "Dropbox<pid>" (a Safe candidate) and a service host,
// then a "game" window under the preset name "Minecraft", and watches the host detect it, apply its
// profile and pause Dropbox while the game is in front, resume it when another window comes to the
// front, and, after the host is killed with SIGKILL while Dropbox is paused, resume it when the host
// starts again. Everything the host stores goes to a scratch home folder. Only that Dropbox, a
// process the check started itself, may be paused: the host narrows the selection to it before
// switching on.

#include "AppleScriptRunner.h"
#include "LoopbackOnlyNetwork.h"
#include "Defaults.h"
#include "linux/LinuxAppleScriptRunner.h"
#include "linux/LinuxHostStatistics.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxProcessRunner.h"
#include "linux/LinuxWorkspace.h"
#include "linux/ProcFiles.h"
#include "tuning/FocusFreezeManager.h"
#include "tuning/GameProfileManager.h"
#include "tuning/SystemOptimizer.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// ---- the service host -------------------------------------------------------------------------

int runHost(const QString& freezeID)
{
    LinuxProcessRunner runner;
    LinuxProcessControl control;
    LinuxAppleScriptRunner scripts(runner);
    LinuxHostStatistics host;
    // What the application does first at start: resume what an earlier run left paused.
    say("recovered " + QString::number(FocusFreezeManager::recoverPausedProcesses(Defaults::standard(), control)));

    LinuxWorkspace workspace(control, {});
    SystemOptimizer optimizer({workspace, control, runner, scripts, host});
    GameProfileManager profiles(workspace);
    QObject::connect(&profiles, &GameProfileManager::changed, [&profiles] {
        static std::optional<QString> last;
        if (profiles.activatedProfileID() != last) {
            last = profiles.activatedProfileID();
            say("applied " + last.value_or("none"));
        }
    });
    // The root view's start sequence.
    profiles.setOptimizer(&optimizer);
    profiles.startLaunchMonitoring();
    if (const auto running = profiles.detectRunningGame()) {
        if (const auto profile = profiles.profile(running->id))
            profiles.applyProfile(*profile, optimizer);
    }
    optimizer.startGameLaunchObserver();

    std::unique_ptr<FocusFreezeManager> freeze;
    if (!freezeID.isEmpty()) {
        freeze = std::make_unique<FocusFreezeManager>(FocusFreezeManager::Services{workspace, control, Defaults::standard()});
        for (const QString& id : freeze->selectedCandidateIDs()) {
            if (id != freezeID)
                freeze->toggleCandidate(id);
        }
        if (!freeze->selectedCandidateIDs().contains(freezeID))
            freeze->toggleCandidate(freezeID);
        // What the Background Freeze screen does with the active profile.
        const auto link = [&] {
            const auto id = profiles.activatedProfileID();
            freeze->setActiveProfile(id ? profiles.profile(*id) : std::nullopt);
        };
        QObject::connect(&profiles, &GameProfileManager::changed, freeze.get(), link);
        link();
        // One line per settled state: an evaluation may pass through several texts at once.
        QTimer statusTimer;
        statusTimer.setSingleShot(true);
        QObject::connect(&statusTimer, &QTimer::timeout, [&freeze] {
            static QString last;
            const QString line = "status " + freeze->statusText();
            if (line != last)
                say(last = line);
        });
        QObject::connect(freeze.get(), &FocusFreezeManager::changed, &statusTimer, [&statusTimer] { statusTimer.start(0); });
        freeze->setEnabled(true);
        say("ready");
        return QCoreApplication::exec();
    }
    say("ready");
    return QCoreApplication::exec();
}

// ---- a window -----------------------------------------------------------------------------------

int runWindow()
{
    QLabel window(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    window.resize(320, 200);
    window.show();
    window.activateWindow();
    // "activate" on standard input brings the window to the front again.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&window] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QCoreApplication::quit();
        window.raise();
        window.activateWindow();
    });
    return QApplication::exec();
}

// ---- the check ----------------------------------------------------------------------------------

class Check {
public:
    Check()
    {
        for (const char* sub : {"config", "data", "cache", "state", "runtime"})
            QDir(m_home.path()).mkpath(sub);
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("HOME", m_home.path());
        m_env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
        m_env.insert("XDG_DATA_HOME", m_home.filePath("data"));
        m_env.insert("XDG_CACHE_HOME", m_home.filePath("cache"));
        m_env.insert("XDG_STATE_HOME", m_home.filePath("state"));
        m_env.insert("XDG_RUNTIME_DIR", m_home.filePath("runtime"));
        QFile::setPermissions(m_home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    ~Check()
    {
        for (QProcess* process : m_processes) {
            ::kill(pid_t(process->processId()), SIGCONT);
            process->kill();
            process->waitForFinished(3000);
            delete process;
        }
    }

    int run()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return fail("no X display: run the check through tools/livecheck/run");
        // A background program counts as an application through its desktop entry, as an installed one would.
        const QString background = copy("/bin/sleep", m_background);
        writeEntry(m_background, background);
        QProcess* dropbox = start(background, {"600"});
        QProcess* host = startHost(true);
        if (!dropbox || !host || !waitFor(host, "ready"))
            return fail("could not start the background process and the service host");
        say("host started; background process " + m_background + " is pid " + QString::number(dropbox->processId()));

        QProcess* game = start(copy(QCoreApplication::applicationFilePath(), "Minecraft"), {"--window"});
        if (!game)
            return fail("could not start the game window");
        say("game Minecraft started as pid " + QString::number(game->processId()));
        if (!waitFor(host, "applied minecraft"))
            return fail("the host did not apply the minecraft profile");
        check("launched game detected and its profile applied", true);
        check("Dropbox paused while Minecraft is in front", settlesIn(dropbox, 'T') && inFront("Minecraft"));

        QProcess* notes = start(copy(QCoreApplication::applicationFilePath(), "Notes"), {"--window"});
        check("Dropbox resumed once another window is in front", notes && settlesIn(dropbox, 'S') && inFront("Notes"));
        game->write("activate\n");
        check("Dropbox paused again with Minecraft back in front", settlesIn(dropbox, 'T') && inFront("Minecraft"));

        ::kill(pid_t(host->processId()), SIGKILL);
        host->waitForFinished(3000);
        QDeadlineTimer settle(500);
        while (!settle.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        check("Dropbox still paused after the host was killed with SIGKILL", stateOf(dropbox) == 'T');

        QProcess* restarted = startHost(false);
        check("the restarted host resumed it at start", restarted && waitFor(restarted, "recovered 1")
                                                            && waitForState(dropbox, 'S'));
        check("and applied the profile of the game already running", restarted && waitFor(restarted, "applied minecraft"));
        say(QString("%1 passed, %2 failed").arg(m_passed).arg(m_failed));
        return m_failed == 0 ? 0 : 1;
    }

private:
    QString copy(const QString& program, const QString& name)
    {
        const QString target = m_bin.filePath(name);
        QFile::copy(program, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return target;
    }

    void writeEntry(const QString& name, const QString& program)
    {
        QDir(m_home.path()).mkpath("data/applications");
        QFile entry(m_home.filePath("data/applications/" + name + ".desktop"));
        if (entry.open(QIODevice::WriteOnly))
            entry.write(("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + program + "\n").toUtf8());
    }

    QProcess* start(const QString& program, const QStringList& arguments)
    {
        auto* process = new QProcess;
        process->setProcessEnvironment(m_env);
        process->setProgram(program);
        process->setArguments(arguments);
        process->start();
        m_processes.append(process);
        return process->waitForStarted(5000) ? process : nullptr;
    }

    QProcess* startHost(bool freeze)
    {
        QStringList arguments{"--host"};
        if (freeze)
            arguments << "--freeze" << m_background + '|' + m_background;
        QProcess* host = start(QCoreApplication::applicationFilePath(), arguments);
        if (host)
            m_hosts.insert(host, QString("host %1: ").arg(m_hosts.size() + 1));
        return host;
    }

    // Reads the host's lines until one equals `line`, echoing them.
    bool waitFor(QProcess* host, const QString& line)
    {
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            echoHosts();
            if (m_seen.value(host).contains(line))
                return true;
            host->waitForReadyRead(100);
        }
        return false;
    }

    void echoHosts()
    {
        for (auto it = m_hosts.cbegin(); it != m_hosts.cend(); ++it) {
            while (it.key()->canReadLine()) {
                const QString line = QString::fromUtf8(it.key()->readLine()).trimmed();
                m_seen[it.key()].append(line);
                say("  " + it.value() + line);
            }
        }
    }

    static char stateOf(QProcess* process)
    {
        const auto stat = ProcFiles::readStat("/proc", qint32(process->processId()));
        return stat ? stat->state : '?';
    }

    bool waitForState(QProcess* process, char state)
    {
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            echoHosts();
            if (stateOf(process) == state)
                return true;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
            ::usleep(100'000);
        }
        return false;
    }

    // The state is reached and then held for a while (the host evaluates once a second).
    bool settlesIn(QProcess* process, char state)
    {
        if (!waitForState(process, state))
            return false;
        QDeadlineTimer hold(1500);
        while (!hold.hasExpired()) {
            echoHosts();
            if (stateOf(process) != state)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            ::usleep(50'000);
        }
        return true;
    }

    // What the workspace of this machine reports as the frontmost application.
    bool inFront(const QString& name)
    {
        const auto front = m_workspace.frontmostApplication();
        say("  in front: " + (front ? front->localizedName + " (pid " + QString::number(front->processIdentifier) + ")"
                                     : QString("nothing")));
        return front && front->localizedName == name;
    }

    void check(const QString& what, bool ok)
    {
        ++(ok ? m_passed : m_failed);
        say(QString(ok ? "PASS " : "FAIL ") + what);
    }
    int fail(const QString& why)
    {
        say("FAIL " + why);
        say(QString("%1 passed, %2 failed").arg(m_passed).arg(m_failed + 1));
        return 1;
    }

    LinuxProcessControl m_control;
    LinuxWorkspace m_workspace{m_control, {}};
    QTemporaryDir m_home;
    QTemporaryDir m_bin;
    QProcessEnvironment m_env;
    QList<QProcess*> m_processes;
    // Named after a safe keyword, and unlike any other process on this machine.
    const QString m_background = "Dropbox" + QString::number(QCoreApplication::applicationPid());
    QMap<QProcess*, QString> m_hosts;
    QHash<QProcess*, QStringList> m_seen;
    int m_passed = 0;
    int m_failed = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    // The services and every process started here (host, window) stay off the network; the X
    // server is reached through its socket file.
    if (qEnvironmentVariableIsEmpty("QM_LIVECHECK_INSIDE")) {
        if (const QString failure = LoopbackOnlyNetwork::enter(); !failure.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(failure));
            return 1;
        }
        qputenv("QM_LIVECHECK_INSIDE", "1");
    }
    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    if (arguments.value(0) == "--window") {
        QApplication app(argc, argv);
        return runWindow();
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Quillmarsh");
    if (arguments.value(0) == "--host")
        return runHost(arguments.value(1) == "--freeze" ? arguments.value(2) : QString());
    Check check;
    return check.run();
}
