// A desktop's tray, played for live checks: an XEmbed tray on $DISPLAY (--xembed) that docks the
// icons that ask, and a StatusNotifierWatcher with a host on the session bus (--watcher). It
// prints what docked; commands on standard input, one a line, end and start either tray:
// "xembed off", "xembed on", "watcher off", "watcher on". End of input or SIGTERM ends it.
#include "FakeStatusNotifierWatcher.h"
#include "PlayedXEmbedTray.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });

    std::unique_ptr<PlayedXEmbedTray> xembed;
    std::unique_ptr<QSocketNotifier> xembedEvents;
    qsizetype docked = 0;
    if (arguments.contains("--xembed")) {
        xembed = std::make_unique<PlayedXEmbedTray>(qgetenv("DISPLAY"));
        if (!xembed->isConnected()) {
            say("no X display at " + qEnvironmentVariable("DISPLAY"));
            return 1;
        }
        xembed->start();
        say("xembed tray on");
        xembedEvents = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(xembed->connection()),
                                                         QSocketNotifier::Read);
        QObject::connect(xembedEvents.get(), &QSocketNotifier::activated, [&] {
            const QList<uint32_t>& icons = xembed->serve();
            for (; docked < icons.size(); ++docked)
                say(QString("xembed docked window 0x%1").arg(icons[docked], 0, 16));
        });
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    FakeStatusNotifierWatcher watcher(true);
    const auto serveWatcher = [&] {
        bus.registerObject(FakeStatusNotifierWatcher::path, &watcher, QDBusConnection::ExportAllContents);
        say(bus.registerService(FakeStatusNotifierWatcher::name) ? "watcher on" : "watcher could not take its name");
    };
    if (arguments.contains("--watcher")) {
        if (!bus.isConnected()) {
            say("no session bus: " + bus.lastError().message());
            return 1;
        }
        serveWatcher();
    }

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        const ssize_t got = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (got <= 0) {
            input.setEnabled(false);
            return QCoreApplication::quit();
        }
        for (const QString& command : QString::fromLatin1(line, got).split('\n', Qt::SkipEmptyParts)) {
            if (command == "xembed off" && xembed) {
                xembed->end();
                say("xembed tray off");
            } else if (command == "xembed on" && xembed) {
                xembed->start();
                say("xembed tray on");
            } else if (command == "watcher off") {
                bus.unregisterService(FakeStatusNotifierWatcher::name);
                bus.unregisterObject(FakeStatusNotifierWatcher::path);
                say("watcher off");
            } else if (command == "watcher on") {
                serveWatcher();
            } else if (command == "items") {
                say("watcher items: " + watcher.registeredStatusNotifierItems().join(' '));
            }
        }
    });
    const int status = QCoreApplication::exec();
    if (arguments.contains("--watcher"))
        say("watcher items: " + watcher.registeredStatusNotifierItems().join(' '));
    return status;
}
