// Live check of the Game Profiles and Background Freeze screens in the running application.
//
//   qm_profilescheck                  the check itself (under X with a window manager: ./run-profiles)
//   qm_profilescheck --app add NAME   the application, made to add the custom game NAME through the
//                                     add sheet and quit
//   qm_profilescheck --app freeze NAME ID
//                                     the application, made to apply NAME's profile by its row's
//                                     Apply button, open Background Freeze, allow only candidate ID
//                                     and switch Background Freeze on; "quit" on standard input quits
//
// With --app, main() is the application's own entry point; a driver, installed as the application
// object is made, presses the buttons of the real window as a user would. The check runs the
// application twice on one scratch home: the first run adds the profile, the second finds it again,
// and with it applied and Background Freeze on, a window named like the game is brought to the
// front while a background window named like a Safe candidate ("Dropbox" and this process's id)
// runs. That process, started by the check itself, is the only one the application may pause.

#include "LoopbackOnlyNetwork.h"
#include "app/MainWindow.h"
#include "app/QuillmarshApp.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxWorkspace.h"
#include "linux/ProcFiles.h"
#include "screens/profiles/BackgroundFreezeView.h"
#include "screens/profiles/CustomGameForm.h"
#include "screens/profiles/GameProfilesView.h"
#include "style/SwitchToggle.h"
#include "style/TextLabel.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// ---- the driver inside the application -----------------------------------------------------------

template <typename T>
T* waitForChild(QWidget* root, const QString& name = {})
{
    T* found = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        found = root->findChild<T*>(name);
        return found && found->isVisible();
    }, 10000);
    return shown ? found : nullptr;
}

void click(QWidget* widget)
{
    if (!widget)
        return;
    QTest::mouseClick(widget, Qt::LeftButton);
    QCoreApplication::processEvents();
}

QWidget* customRow(GameProfilesView* view, const QString& name)
{
    for (QWidget* row : view->findChildren<QWidget*>("customRow")) {
        if (row->findChild<TextLabel*>("customName")->text() == name)
            return row;
    }
    return nullptr;
}

MainWindow* mainWindow()
{
    MainWindow* window = nullptr;
    static_cast<void>(QTest::qWaitFor([&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<MainWindow*>(top); candidate && candidate->isVisible())
                window = candidate;
        }
        return window != nullptr;
    }, 10000));
    return window;
}

GameProfilesView* openProfiles(MainWindow* window)
{
    // The first start shows the welcome screen.
    if (auto* start = window->findChild<QWidget*>("getStartedButton"); start && start->isVisible())
        click(start);
    click(waitForChild<QWidget>(window, "tab:Game Profiles"));
    return waitForChild<GameProfilesView>(window);
}

int fail(const QString& why)
{
    say("driver failed: " + why);
    QCoreApplication::exit(1);
    return 1;
}

void addProfile(MainWindow* window, const QString& name)
{
    GameProfilesView* view = openProfiles(window);
    if (!view)
        return void(fail("no Game Profiles screen"));
    click(view->findChild<QWidget*>("addCustomGameButton"));
    CustomGameForm* form = view->sheetForm();
    if (!form)
        return void(fail("no add sheet"));
    QTest::keyClicks(form->findChild<QLineEdit*>("nameField"), "  " + name + " ");
    click(form->findChild<QWidget*>("saveButton"));
    if (!QTest::qWaitFor([&] { return customRow(view, name) != nullptr; }, 5000))
        return void(fail("the new profile has no row"));
    say("added " + name);
    window->quitAction()->trigger();
}

void freeze(MainWindow* window, const QString& name, const QString& candidateID)
{
    GameProfilesView* profiles = openProfiles(window);
    QWidget* row = nullptr;
    if (!profiles || !QTest::qWaitFor([&] { return (row = customRow(profiles, name)) != nullptr; }, 5000))
        return void(fail("no row for " + name));
    say("found " + name + " after restart");
    click(row->findChild<QWidget*>("applyButton"));
    say("applied " + name);

    click(waitForChild<QWidget>(window, "tab:Background Freeze"));
    auto* view = waitForChild<BackgroundFreezeView>(window);
    if (!view)
        return void(fail("no Background Freeze screen"));
    FocusFreezeManager& manager = view->freezeManager();
    // Nothing of this machine but the check's own background process may be paused.
    for (const QString& id : manager.selectedCandidateIDs()) {
        if (id != candidateID)
            manager.toggleCandidate(id);
    }
    if (!manager.selectedCandidateIDs().contains(candidateID))
        manager.toggleCandidate(candidateID);
    say(QString("selected %1 of %2 candidates").arg(manager.selectedCandidateIDs().size()).arg(manager.candidates().size()));
    click(view->findChild<SwitchToggle*>("freezeSwitch"));
    say(manager.isEnabled() ? "freeze on" : "freeze stayed off");

    auto* status = view->findChild<TextLabel*>("statusText");
    auto* lastStatus = new QString;
    auto* report = new QTimer(view);
    report->setInterval(200);
    QObject::connect(report, &QTimer::timeout, view, [status, lastStatus] {
        if (status->text() != *lastStatus)
            say("status " + (*lastStatus = status->text()));
    });
    QObject::connect(view, &QObject::destroyed, [lastStatus] { delete lastStatus; });
    report->start();

    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, window);
    QObject::connect(input, &QSocketNotifier::activated, window, [window] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) >= 0)
            window->quitAction()->trigger();
    });
}

void startDriver()
{
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype at = arguments.indexOf("--app");
    if (at < 0)
        return;
    QTimer::singleShot(0, qApp, [mode = arguments.value(at + 1), name = arguments.value(at + 2),
                                 id = arguments.value(at + 3)] {
        MainWindow* window = mainWindow();
        if (!window)
            return void(fail("no window"));
        if (mode == "add")
            addProfile(window, name);
        else
            freeze(window, name, id);
    });
}

Q_COREAPP_STARTUP_FUNCTION(startDriver)

// ---- the check ------------------------------------------------------------------------------------

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
        m_env.insert("QT_QPA_PLATFORM", "xcb");
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
            return fail("no X display: run the check through tools/livecheck/run-profiles");
        const QString windowProgram = QCoreApplication::applicationDirPath() + "/qm_livecheck";
        QProcess* background = start(copy(windowProgram, m_background), {"--window"});
        if (!background)
            return fail("could not start the background window");
        say("background window " + m_background + " is pid " + QString::number(background->processId()));

        QProcess* first = start(QCoreApplication::applicationFilePath(), {"--app", "add", m_game});
        check("the custom game added through the sheet", first && waitFor(first, "added " + m_game));
        check("the first run quit", first && first->waitForFinished(15000) && first->exitCode() == 0);

        const QString candidateID = m_background + '|' + m_background;
        QProcess* app = start(QCoreApplication::applicationFilePath(), {"--app", "freeze", m_game, candidateID});
        check("the custom profile is there after a restart", app && waitFor(app, "found " + m_game + " after restart"));
        if (!app || !waitFor(app, "freeze on"))
            return fail("Background Freeze did not come on");

        QProcess* game = start(copy(windowProgram, m_game), {"--window"});
        check("the background process paused while the game is in front",
              game && settlesIn(background, 'T') && inFront(m_game));
        QProcess* notes = start(copy(windowProgram, "Notes"), {"--window"});
        check("resumed once another window is in front", notes && settlesIn(background, 'S') && inFront("Notes"));
        game->write("activate\n");
        check("paused again with the game back in front", settlesIn(background, 'T') && inFront(m_game));

        app->write("quit\n");
        check("the application quit", app->waitForFinished(15000));
        echo();
        check("quitting resumed it", stateOf(background) == 'S');
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

    QProcess* start(const QString& program, const QStringList& arguments)
    {
        auto* process = new QProcess;
        process->setProcessEnvironment(m_env);
        process->setProgram(program);
        process->setArguments(arguments);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        m_processes.append(process);
        if (!process->waitForStarted(5000))
            return nullptr;
        m_names.insert(process, QFileInfo(program).fileName() + ' ' + arguments.value(1));
        return process;
    }

    void echo()
    {
        for (QProcess* process : std::as_const(m_processes)) {
            while (process->canReadLine()) {
                const QString line = QString::fromUtf8(process->readLine()).trimmed();
                m_seen[process].append(line);
                say("  " + m_names.value(process) + ": " + line);
            }
        }
    }

    bool waitFor(QProcess* process, const QString& line)
    {
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            echo();
            if (m_seen.value(process).contains(line))
                return true;
            if (process->state() == QProcess::NotRunning && !process->canReadLine())
                return false;
            process->waitForReadyRead(100);
        }
        return false;
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
            echo();
            if (stateOf(process) == state)
                return true;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
            ::usleep(100'000);
        }
        return false;
    }

    // The state is reached and then held for a while: the application evaluates once a second.
    bool settlesIn(QProcess* process, char state)
    {
        if (!waitForState(process, state))
            return false;
        QDeadlineTimer hold(2500);
        while (!hold.hasExpired()) {
            echo();
            if (stateOf(process) != state)
                return false;
            ::usleep(50'000);
        }
        return true;
    }

    // What the workspace of this machine reports as the frontmost application; its snapshot is
    // refreshed once a second and published through the event loop.
    bool inFront(const QString& name)
    {
        std::optional<RunningApplication> front;
        QDeadlineTimer deadline(3000);
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
            front = m_workspace.frontmostApplication();
        } while (!(front && front->localizedName == name) && !deadline.hasExpired());
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
    QHash<QProcess*, QString> m_names;
    QHash<QProcess*, QStringList> m_seen;
    const QString m_game = "Quillquest";
    // Named after a Safe keyword, and unlike any other process on this machine.
    const QString m_background = "Dropbox" + QString::number(QCoreApplication::applicationPid());
    int m_passed = 0;
    int m_failed = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    // The application this starts (with "--app") inherits the namespace: its pings stay on this machine.
    if (qEnvironmentVariableIsEmpty("QM_LIVECHECK_INSIDE")) {
        if (const QString failure = LoopbackOnlyNetwork::enter(); !failure.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(failure));
            return 1;
        }
        qputenv("QM_LIVECHECK_INSIDE", "1");
    }
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--app")
            return QuillmarshApp::main(argc, argv);
    }
    QCoreApplication app(argc, argv);
    Check check;
    return check.run();
}
