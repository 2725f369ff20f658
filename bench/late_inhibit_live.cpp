// The whole application on this machine with a system and a session bus of its own, each a private
// dbus-daemon with a played logind and a played screen saver that count what they hold. The
// Optimizers screen's Anti Shut tile is pressed while the session bus's daemon is stopped (SIGSTOP)
// for longer than the application waits for an answer, then the daemon is resumed; every step prints
// what the tile shows and what each service still holds. Run it with a display (or offscreen) and
// with loopback only: tools/common/loopback-only env QT_QPA_PLATFORM=offscreen late_inhibit_live

#include "PrivateBus.h"
#include "ScriptedDBusObject.h"
#include "app/AppScreen.h"
#include "app/ContentView.h"
#include "app/LinuxPlatform.h"
#include "app/MainWindow.h"
#include "app/ScreenTabButton.h"
#include "screens/optimizers/OptimizerButton.h"
#include "style/AppStyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QLabel>
#include <QSet>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

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

struct PlayedServices {
    std::atomic<uint> nextCookie = 1;
    Locked<QSet<uint>> cookies;
    std::atomic<int> strayReleases = 0;
    Locked<QList<int>> lockEnds;

    ScriptedDBusObject* screenSaver()
    {
        auto* saver = new ScriptedDBusObject;
        saver->on(kScreenSaver, "Inhibit", [this](const QDBusMessage& call) {
            const uint cookie = nextCookie++;
            cookies.with([&](QSet<uint>& held) { held.insert(cookie); });
            return call.createReply(QVariant::fromValue(cookie));
        });
        saver->on(kScreenSaver, "UnInhibit", [this](const QDBusMessage& call) {
            if (!cookies.with([&](QSet<uint>& held) { return held.remove(call.arguments().value(0).toUInt()); }))
                ++strayReleases;
            return call.createReply();
        });
        return saver;
    }

    ScriptedDBusObject* logind()
    {
        auto* manager = new ScriptedDBusObject;
        manager->on(kManager, "Inhibit", [this](const QDBusMessage& call) {
            int ends[2];
            if (::pipe2(ends, O_CLOEXEC) != 0)
                return call.createErrorReply("org.freedesktop.DBus.Error.Failed", "no pipe");
            lockEnds.with([&](QList<int>& fds) { fds.append(ends[0]); });
            const QDBusMessage reply = call.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1])));
            ::close(ends[1]);
            return reply;
        });
        return manager;
    }

    int locksHeld() const
    {
        int held = 0;
        for (const int fd : lockEnds.get()) {
            pollfd end{fd, POLLIN, 0};
            held += ::poll(&end, 1, 0) == 1 && (end.revents & POLLHUP) ? 0 : 1;
        }
        return held;
    }
};

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
    PlayedServices played;
    if (!system.serve("org.freedesktop.login1", "/org/freedesktop/login1", played.logind())
        || !session.serve(kScreenSaver, "/org/freedesktop/ScreenSaver", played.screenSaver())) {
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
                    .arg(played.cookies.get().size())
                    .arg(played.nextCookie - 1)
                    .arg(played.strayReleases.load())
                    .arg(played.locksHeld())
                    .arg(played.lockEnds.get().size()));
        };
        // Longer than the application waits for the screen saver's answer.
        constexpr int kStalled = 5000;
        report("start");

        session.pause();
        say("session bus stopped");
        tile->click();
        runFor(kStalled);
        report("switched on while stopped");
        session.resume();
        say("session bus resumed");
        runFor(2000);
        report("after the resume");
        tile->click();
        runFor(1000);
        report("switched off");

        session.pause();
        say("session bus stopped");
        tile->click();
        runFor(kStalled);
        tile->click();
        runFor(500);
        tile->click();
        runFor(kStalled);
        report("switched on, off and on again while stopped");
        session.resume();
        say("session bus resumed");
        runFor(2000);
        report("after the resume");
        tile->click();
        runFor(1000);
        report("switched off");

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
        result = played.cookies.get().isEmpty() && played.locksHeld() == 0 && played.strayReleases == 0 ? 0 : 1;
    }
    for (const int fd : played.lockEnds.get())
        ::close(fd);
    return result;
}
