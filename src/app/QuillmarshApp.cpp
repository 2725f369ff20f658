#include "QuillmarshApp.h"

#include "AppDelegate.h"
#include "ContentView.h"
#include "LinuxPlatform.h"
#include "MainWindow.h"
#include "Paths.h"
#include "ProcessRunner.h"
#include "SingleInstance.h"
#include "WorkQueues.h"
#include "storage/StoredFolders.h"
#include "linux/DisplayCheck.h"
#include "linux/LazyBusConnection.h"
#include "linux/QuitSignals.h"
#include "style/AppStyle.h"

#include <QApplication>
#include <QDBusConnection>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPixmapCache>
#include <QThreadPool>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <future>
#include <malloc.h>
#include <thread>

namespace {
// "started" once the window has had its first frame and the services started: what a script or a
// test that starts the application waits for.
Q_LOGGING_CATEGORY(lcStart, "Quillmarsh.Start", QtWarningMsg)
// How long the start waits, beyond its own work, for the session bus's daemon to greet.
constexpr std::chrono::milliseconds kGreetingPatience{200};
} // namespace

void QuillmarshApp::ignoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

int QuillmarshApp::main(int argc, char* argv[])
{
    ignoreFileSizeSignal();
    // Images and other large blocks get pages of their own, which go back to the system when they
    // are freed; by default the allocator raises this bound to the largest block freed so far, and
    // the window-sized images of the first frames would then stay in the heap for good.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // A heap for every thread that ever allocated keeps its free blocks resident; the few pool
    // threads here share one besides the main thread's.
    mallopt(M_ARENA_MAX, 2);
    // Fontconfig reads its configuration and its font caches when first asked, which would be
    // when the style looks for its fonts, on the way to the first frame; asked on a thread of its
    // own now, it is done while the display connection is made.
    std::jthread fontconfig([] { FcInit(); });
    // A display that does not answer would end the start in the GUI library's abort, which names
    // neither the display nor a way out.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const QString problem = DisplayCheck::problem(arguments, QProcessEnvironment::systemEnvironment());
        !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return EXIT_FAILURE;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmarsh");
    QApplication::setApplicationVersion(QM_VERSION);
    // The session bus is connected on the way to the first frame by the accessibility bridge, a
    // round trip or, with no bus announced, a helper program started to look for one; connected on
    // a thread of its own now, it is ready by the time the first widget asks. A daemon that does not
    // answer would hold the bridge, on the main thread, for the whole default time-out, and a bus
    // that is not there yet would leave Qt's connection failed for good, which its tray icon needs
    // once the bus comes: the bridge is then sent to an address that fails at once, and the
    // services connect on their own threads once the bus answers.
    std::promise<bool> greeted;
    std::future<bool> sessionBusGreeted = greeted.get_future();
    std::jthread sessionBus([greeted = std::move(greeted)]() mutable {
        const bool answers = LazyBusConnection::answers(QDBusConnection::SessionBus);
        if (answers)
            QDBusConnection::sessionBus();
        greeted.set_value(answers);
    });
    // The style keeps its drawn frames, grooves and handles there, keyed by size and state; every
    // screen built anew adds its own, and by default they would pile up to 10 MiB. The pickers keep
    // their own picture and ask the style only when they draw anew, so a quarter mebibyte serves.
    QPixmapCache::setCacheLimit(256);
    QThreadPool::globalInstance()->setExpiryTimeout(2000);
    // Every stored file lies in these two; one that another user owns (after a run with sudo) or a
    // link that cannot be followed would fail each read and write after it, and one that others may
    // write would let them change what is kept there, so the start says which folder and why, and
    // goes no further.
    if (const QString problem = StoredFolders::prepare(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        QMessageBox::critical(nullptr, QStringLiteral("Quillmarsh"), problem);
        return EXIT_FAILURE;
    }
    // Before anything else reads or changes the stored state: a second start on this home only
    // brings the running instance's window forward.
    SingleInstance instance(Paths::applicationSupport());
    switch (instance.claim()) {
    case SingleInstance::Claim::Running:
        break;
    case SingleInstance::Claim::HandedOver:
        return 0;
    case SingleInstance::Claim::NoAnswer:
    case SingleInstance::Claim::Undecided:
        // Said where a start from a menu is seen, not only on a terminal.
        std::fprintf(stderr, "%s\n", qPrintable(instance.problem()));
        QMessageBox::critical(nullptr, QStringLiteral("Quillmarsh"), instance.problem());
        return EXIT_FAILURE;
    }
    // A live daemon has greeted long before this; one that has not by now is not waited for.
    const bool sessionBusAnswers = sessionBusGreeted.wait_for(kGreetingPatience) == std::future_status::ready
                                   && sessionBusGreeted.get();
    const bool bridgeSentAway = !sessionBusAnswers && !qEnvironmentVariableIsSet("AT_SPI_BUS_ADDRESS");
    if (!sessionBusAnswers)
        std::fprintf(stderr, "Quillmarsh: the session bus does not answer yet; it is used once it does\n");
    if (bridgeSentAway)
        qputenv("AT_SPI_BUS_ADDRESS", "unanswered:");
    // First, so that the first application scan, read in the background, runs while the fonts load.
    LinuxPlatform platform;
    const PlatformServices services = platform.services();
    AppStyle::install();

    AppDelegate delegate(*services.defaults);
    QuitSignals quitSignals;
    int status = 0;
    {
        MainWindow window(services);
        // A termination signal quits the way the quit command does.
        QObject::connect(&quitSignals, &QuitSignals::quitRequested, &window, &MainWindow::terminateApp);
        // Connected after the window's own clean-up, which may still run tools.
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&services] { services.processRunner->endChildren(); });
        // After the first frame: the launch answers write the defaults file.
        QObject::connect(window.contentView(), &ContentView::started, &window,
                         [&] {
                             qCInfo(lcStart, "started");
                             delegate.applicationDidFinishLaunching(window);
                         },
                         Qt::SingleShotConnection);
        QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
            window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
            window.show();
            window.raise();
            window.activateWindow();
        });
        window.resize(window.minimumSize());
        window.show();
        // The bridge is made by the first window shown; the programs started from here get the
        // environment they were given.
        if (bridgeSentAway)
            qunsetenv("AT_SPI_BUS_ADDRESS");
        // Later starts reach this one from now on. The socket waits for the window to be on its way:
        // the first frame needs none of it, and it is opened while the window is being mapped.
        instance.listen();
        status = QApplication::exec();
    }
    // A task that outlives the wait must not hold up the exit, nor see the services destroyed under it.
    if (!WorkQueues::drain(std::chrono::seconds(1))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
