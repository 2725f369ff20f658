// The whole application on this machine, driven while its session bus does not answer: a tray is
// played on that bus, the companion is shown in it, then the bus's daemon is stopped (SIGSTOP) and
// every screen is opened in turn, the Menu Bar screen's switch pressed at each visit, until the
// time is up; then the daemon is resumed and the application runs on until it is ended.
// frozen_bus_live.sh runs it under a virtual display and pings its window meanwhile.
//
//   frozen_bus_walk --stop PID [--seconds N] [--pause MS]

#include "FakeStatusNotifierWatcher.h"
#include "ProcessRunner.h"
#include "StatusBar.h"
#include "app/AppScreen.h"
#include "app/ContentView.h"
#include "app/LinuxPlatform.h"
#include "app/MainWindow.h"
#include "app/ScreenTabButton.h"
#include "linux/QuitSignals.h"
#include "screens/menubar/MenuBarCompanion.h"
#include "style/AppStyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmarsh");
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"stop", "The session bus daemon to stop once the companion is shown.", "PID"});
    parser.addOption({"seconds", "How long the screens are walked with the bus stopped.", "N", "20"});
    parser.addOption({"pause", "Milliseconds between two steps of the walk.", "MS", "150"});
    parser.process(app);
    const pid_t daemon = parser.value("stop").toInt();
    if (daemon <= 0) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    AppStyle::install();

    // The tray, on a connection and a thread of its own, as a desktop's panel would be.
    QThread trayThread;
    trayThread.start();
    QDBusConnection trayBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "frozen-bus-walk-tray");
    auto* tray = new FakeStatusNotifierWatcher(true);
    if (!trayBus.registerService(FakeStatusNotifierWatcher::name)
        || !trayBus.registerObject(FakeStatusNotifierWatcher::path, tray, QDBusConnection::ExportAllContents)) {
        say("the tray could not be played on the session bus");
        return 1;
    }
    tray->moveToThread(&trayThread);

    int result = 0;
    {
        LinuxPlatform platform;
        const PlatformServices services = platform.services();
        MainWindow window(services);
        window.resize(window.minimumSize());
        window.show();
        ContentView& content = *window.contentView();
        MenuBarCompanion& companion = content.menuBarCompanion();

        const QList<AppScreen> screens = AppScreens::allCases();
        qsizetype next = 0;
        int visits = 0;
        int presses = 0;
        QDeadlineTimer walkEnds;
        enum class Stage { Starting, WaitingForTray, Walking } stage = Stage::Starting;
        QDeadlineTimer trayWait;

        QTimer driver;
        driver.setInterval(parser.value("pause").toInt());
        QObject::connect(&driver, &QTimer::timeout, &app, [&] {
            switch (stage) {
            case Stage::Starting:
                if (auto* start = window.findChild<QAbstractButton*>("getStartedButton"); start && start->isVisible())
                    start->click();
                if (content.hasBootstrapped()) {
                    stage = Stage::WaitingForTray;
                    trayWait.setRemainingTime(10'000);
                }
                return;
            case Stage::WaitingForTray:
                if (!companion.isEnabled() && !services.statusBar->isAvailable() && !trayWait.hasExpired())
                    return;
                if (!companion.isEnabled()) {
                    companion.enable();
                    say(QString("companion shown before the stop: %1").arg(companion.isEnabled() ? "yes" : "no"));
                    // The icon goes into the tray after one more round trip on the bus.
                    trayWait.setRemainingTime(2000);
                    return;
                }
                if (!trayWait.hasExpired())
                    return;
                ::kill(daemon, SIGSTOP);
                say("session bus stopped");
                walkEnds.setRemainingTime(qint64(parser.value("seconds").toDouble() * 1000));
                stage = Stage::Walking;
                return;
            case Stage::Walking:
                break;
            }
            if (walkEnds.hasExpired()) {
                driver.stop();
                const QString reason = companion.unavailableReason();
                say(QString("%1 screens opened, companion switched %2 times, %3 tray icons registered; at the end "
                            "it is %4%5")
                        .arg(visits)
                        .arg(presses)
                        .arg(tray->registeredStatusNotifierItems().size())
                        .arg(companion.isEnabled() ? "on" : "off")
                        .arg(reason.isEmpty() ? QString() : ", saying: " + reason));
                ::kill(daemon, SIGCONT);
                say("session bus resumed");
                return;
            }
            const QString title = AppScreens::rawValue(screens.at(next));
            if (auto* tab = window.findChild<ScreenTabButton*>("tab:" + title)) {
                tab->click();
                ++visits;
            } else {
                result = 1;
            }
            if (screens.at(next) == AppScreen::menuBar) {
                if (auto* toggle = content.detailView()->findChild<QAbstractButton*>("companionSwitch")) {
                    toggle->click();
                    ++presses;
                }
            }
            next = (next + 1) % screens.size();
        });
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &driver, &QTimer::stop);
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &app,
                         [&services] { services.processRunner->endChildren(); });
        // Ended by the script once the window was pinged long enough, the way a user quits.
        QuitSignals quitSignals;
        QObject::connect(&quitSignals, &QuitSignals::quitRequested, &window, [&window] { window.quitAction()->trigger(); });
        driver.start();
        QApplication::exec();
    }
    trayBus.unregisterObject(FakeStatusNotifierWatcher::path);
    tray->deleteLater();
    trayThread.quit();
    trayThread.wait();
    return result;
}
