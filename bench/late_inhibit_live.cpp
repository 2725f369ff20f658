// The whole application on this machine with a system and a session bus of its own, each a private
// dbus-daemon with a played logind and a played screen saver that count what they hold. The
// Optimizers screen's Anti Shut tile is pressed while the session bus's daemon is stopped (SIGSTOP)
// for longer than the application waits for an answer, then the daemon is resumed; every step prints
// what the tile shows and what each service still holds. Run it with a display (or offscreen) and
// with loopback only: tools/common/loopback-only env QT_QPA_PLATFORM=offscreen late_inhibit_live

#include "FakeLogind.h"
#include "FakeScreenSaver.h"
#include "PrivateBus.h"
#include "app/AppScreen.h"
#include "app/ContentView.h"
#include "app/LinuxPlatform.h"
#include "app/MainWindow.h"
#include "app/ScreenTabButton.h"
#include "screens/optimizers/OptimizerButton.h"
#include "style/AppStyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Lets the application run for `ms` without blocking it.
void runFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        qunsetenv(name);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmarsh");
    AppStyle::install();
    // Before the first use of either bus.
    PrivateBus system;
    PrivateBus session;
    if (!system.isRunning() || !session.isRunning()) {
        say("no private bus: " + system.errorString() + session.errorString());
        return 1;
    }
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", system.address().toUtf8());
    qputenv("DBUS_SESSION_BUS_ADDRESS", session.address().toUtf8());
    FakeLogind logind;
    FakeScreenSaver screenSaver;
    if (!system.serve("org.freedesktop.login1", "/org/freedesktop/login1", logind.object(true))
        || !session.serve(FakeScreenSaver::interface, "/org/freedesktop/ScreenSaver", screenSaver.object())) {
        say("the services could not be played");
        return 1;
    }

    int result = 0;
    {
        LinuxPlatform platform;
        MainWindow window(platform.services());
        window.resize(window.minimumSize());
        window.show();
        ContentView& content = *window.contentView();
        for (int wait = 0; wait < 100 && !content.hasBootstrapped(); ++wait) {
            if (auto* start = window.findChild<QAbstractButton*>("getStartedButton"); start && start->isVisible())
                start->click();
            runFor(100);
        }
        if (auto* tab = window.findChild<ScreenTabButton*>("tab:" + AppScreens::rawValue(AppScreen::optimizers)))
            tab->click();
        runFor(500);
        auto* tile = window.findChild<OptimizerButton*>("tool:Anti Shut");
        auto* status = window.findChild<QLabel*>("toolStatus");
        if (!tile || !status) {
            say("the Anti Shut tile is not on the screen");
            return 1;
        }
        const auto report = [&](const QString& step) {
            say(QString("%1: tile %2%3; screen saver holds %4 of %5 cookies granted (%6 stray releases), logind "
                        "holds %7 of %8 locks")
                    .arg(step, tile->isActive() ? "on" : "off",
                         status->isVisible() ? ", saying \"" + status->text() + '"' : QString())
                    .arg(screenSaver.holding())
                    .arg(screenSaver.next - 4711)
                    .arg(screenSaver.strays.load())
                    .arg(logind.holding())
                    .arg(logind.readEnds.get().size()));
        };
        // Longer than the application waits for the screen saver's answer.
        constexpr int kStalled = 5000;
        // The tile pressed with the waits between while the session bus is stopped, then after its resume
        // switched off.
        const auto whileStopped = [&](const QList<int>& waits, const QString& step) {
            session.pause();
            say("session bus stopped");
            for (const int wait : waits) {
                tile->click();
                runFor(wait);
            }
            report(step);
            session.resume();
            say("session bus resumed");
            runFor(2000);
            report("after the resume");
            tile->click();
            runFor(1000);
            report("switched off");
        };
        report("start");
        whileStopped({kStalled}, "switched on while stopped");
        whileStopped({kStalled, 500, kStalled}, "switched on, off and on again while stopped");

        system.pause();
        session.pause();
        say("both buses stopped");
        tile->click();
        runFor(kStalled);
        report("switched on while both are stopped");
        system.resume();
        session.resume();
        say("both buses resumed");
        runFor(3000);
        report("after the resume");
        result = screenSaver.holding() == 0 && logind.holding() == 0 && screenSaver.strays == 0 ? 0 : 1;
    }
    return result;
}
