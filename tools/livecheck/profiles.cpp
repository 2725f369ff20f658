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

#include "LiveCheck.h"
#include "LoopbackOnlyNetwork.h"
#include "app/MainWindow.h"
#include "app/QuillmarshApp.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxWorkspace.h"
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
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

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
    int run()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return m_live.fail("no X display: run the check through tools/livecheck/run-profiles");
        const QString windowProgram = QCoreApplication::applicationDirPath() + "/qm_livecheck";
        QProcess* background = m_live.start(m_live.copy(windowProgram, m_background), {"--window"}, m_background);
        if (!background)
            return m_live.fail("could not start the background window");
        say("background window " + m_background + " is pid " + QString::number(background->processId()));

        QProcess* first = m_live.start(QCoreApplication::applicationFilePath(), {"--app", "add", m_game}, "add");
        m_live.check("the custom game added through the sheet", first && m_live.waitFor(first, "added " + m_game));
        m_live.check("the first run quit", first && first->waitForFinished(15000) && first->exitCode() == 0);

        const QString candidateID = m_background + '|' + m_background;
        QProcess* app = m_live.start(QCoreApplication::applicationFilePath(), {"--app", "freeze", m_game, candidateID}, "freeze");
        m_live.check("the custom profile is there after a restart",
                     app && m_live.waitFor(app, "found " + m_game + " after restart"));
        if (!app || !m_live.waitFor(app, "freeze on"))
            return m_live.fail("Background Freeze did not come on");

        QProcess* game = m_live.start(m_live.copy(windowProgram, m_game), {"--window"}, m_game);
        m_live.check("the background process paused while the game is in front",
                     game && m_live.settlesIn(background, 'T') && m_live.inFront(m_game));
        QProcess* notes = m_live.start(m_live.copy(windowProgram, "Notes"), {"--window"}, "Notes");
        m_live.check("resumed once another window is in front",
                     notes && m_live.settlesIn(background, 'S') && m_live.inFront("Notes"));
        game->write("activate\n");
        m_live.check("paused again with the game back in front", m_live.settlesIn(background, 'T') && m_live.inFront(m_game));

        app->write("quit\n");
        m_live.check("the application quit", app->waitForFinished(15000));
        m_live.echo();
        m_live.check("quitting resumed it", LiveCheck::stateOf(background) == 'S');
        return m_live.finish();
    }

private:
    LiveCheck m_live;
    const QString m_game = "Quillquest";
    // Named after a Safe keyword, and unlike any other process on this machine.
    const QString m_background = "Dropbox" + QString::number(QCoreApplication::applicationPid());
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
