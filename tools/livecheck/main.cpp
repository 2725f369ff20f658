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
#include "LiveCheck.h"
#include "LoopbackOnlyNetwork.h"
#include "Defaults.h"
#include "linux/LinuxAppleScriptRunner.h"
#include "linux/LinuxHostStatistics.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxProcessRunner.h"
#include "linux/LinuxTuningBackends.h"
#include "linux/LinuxWorkspace.h"
#include "linux/MangoHudOverlay.h"
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
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

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
    MangoHudOverlay overlay({MangoHudOverlay::standardConfigFolder(), &MangoHudOverlay::mangoHudOnPath, {}});
    const TuningBackends backends = linuxTuningBackends(LazyBusConnection::system(), LazyBusConnection::session());
    SystemOptimizer optimizer({workspace, control, runner, scripts, host, overlay, backends});
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
    int run()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return m_live.fail("no X display: run the check through tools/livecheck/run");
        // A background program counts as an application through its desktop entry, as an installed one would.
        const QString background = m_live.copy("/bin/sleep", m_background);
        writeEntry(m_background, background);
        QProcess* dropbox = m_live.start(background, {"600"}, m_background);
        QProcess* host = startHost(true);
        if (!dropbox || !host || !m_live.waitFor(host, "ready"))
            return m_live.fail("could not start the background process and the service host");
        say("host started; background process " + m_background + " is pid " + QString::number(dropbox->processId()));

        QProcess* game = m_live.start(m_live.copy(QCoreApplication::applicationFilePath(), "Minecraft"), {"--window"}, "Minecraft");
        if (!game)
            return m_live.fail("could not start the game window");
        say("game Minecraft started as pid " + QString::number(game->processId()));
        if (!m_live.waitFor(host, "applied minecraft"))
            return m_live.fail("the host did not apply the minecraft profile");
        m_live.check("launched game detected and its profile applied", true);
        m_live.check("Dropbox paused while Minecraft is in front", m_live.settlesIn(dropbox, 'T') && m_live.inFront("Minecraft"));

        QProcess* notes = m_live.start(m_live.copy(QCoreApplication::applicationFilePath(), "Notes"), {"--window"}, "Notes");
        m_live.check("Dropbox resumed once another window is in front",
                     notes && m_live.settlesIn(dropbox, 'S') && m_live.inFront("Notes"));
        game->write("activate\n");
        m_live.check("Dropbox paused again with Minecraft back in front",
                     m_live.settlesIn(dropbox, 'T') && m_live.inFront("Minecraft"));

        ::kill(pid_t(host->processId()), SIGKILL);
        host->waitForFinished(3000);
        QDeadlineTimer settle(500);
        while (!settle.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        m_live.check("Dropbox still paused after the host was killed with SIGKILL", LiveCheck::stateOf(dropbox) == 'T');

        QProcess* restarted = startHost(false);
        m_live.check("the restarted host resumed it at start",
                     restarted && m_live.waitFor(restarted, "recovered 1") && m_live.waitForState(dropbox, 'S'));
        m_live.check("and applied the profile of the game already running",
                     restarted && m_live.waitFor(restarted, "applied minecraft"));
        return m_live.finish();
    }

private:
    void writeEntry(const QString& name, const QString& program)
    {
        QDir().mkpath(m_live.homePath("data/applications"));
        QFile entry(m_live.homePath("data/applications/" + name + ".desktop"));
        if (entry.open(QIODevice::WriteOnly))
            entry.write(("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + program + "\n").toUtf8());
    }

    QProcess* startHost(bool freeze)
    {
        QStringList arguments{"--host"};
        if (freeze)
            arguments << "--freeze" << m_background + '|' + m_background;
        return m_live.start(QCoreApplication::applicationFilePath(), arguments, QString("host %1").arg(++m_hosts));
    }

    LiveCheck m_live;
    // Named after a safe keyword, and unlike any other process on this machine.
    const QString m_background = "Dropbox" + QString::number(QCoreApplication::applicationPid());
    int m_hosts = 0;
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
