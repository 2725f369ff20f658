// The whole application on this machine, walked through as a new user would: the welcome screen,
// "Get Started", every entry of the strip in turn, then Quit. One PNG of the window is saved per
// screen. Run it under X in a scratch home (./run does both), so the first launch is a real one
// and nothing of the user's is read or written. With --keys the walk is made by the keyboard
// alone: Return on the welcome screen, Tab round each screen, counting the stops and naming any
// that does not show the focus, and Tab then Return onto the next entry of the strip.
//
//   qm_walk --out FOLDER [--pause MS] [--keys]

#include "FocusSight.h"
#include "ProcessRunner.h"
#include "WorkQueues.h"
#include "app/AppScreen.h"
#include "app/ContentView.h"
#include "app/LinuxPlatform.h"
#include "app/MainWindow.h"
#include "app/ScreenTabButton.h"
#include "style/AppStyle.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>
#include <unistd.h>

namespace {

// Processes whose parent is this one.
int childCount()
{
    int children = 0;
    const QString self = QString::number(getpid());
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // The name in parentheses may hold spaces; the fields after it do not.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        children += fields.size() > 1 && fields.at(1) == self.toLatin1() ? 1 : 0;
    }
    return children;
}

// The window as the display server shows it.
bool save(QWidget& window, const QString& file)
{
    QPixmap image = window.screen()->grabWindow(window.winId());
    if (image.isNull())
        image = window.grab();
    const bool saved = image.save(file, "PNG");
    std::printf("%s %s\n", saved ? "saved" : "COULD NOT SAVE", qPrintable(file));
    std::fflush(stdout);
    return saved;
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void press(QWidget& window, Qt::Key key)
{
    QWidget* to = QApplication::focusWidget();
    QTest::keyClick(to ? to : &window, key);
    settle();
}

// Tab round the screen shown; the number of problems found.
int tabRound(QWidget& window, const QString& title)
{
    QList<QWidget*> stops;
    QStringList unseen;
    for (int i = 0; i < 400; ++i) {
        press(window, Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        if (!stops.isEmpty() && at == stops.first())
            break;
        stops.append(at);
        if (const QString problem = FocusSight::problem(window, at); !problem.isEmpty())
            unseen.append(FocusSight::nameOf(at) + ": " + problem);
    }
    const bool round = QApplication::focusWidget() == stops.value(0);
    std::printf("%s: %d stops%s%s%s\n", qPrintable(title), int(stops.size()), round ? "" : ", Tab never came back",
                unseen.isEmpty() ? "" : ", not seen: ", qPrintable(unseen.join("; ")));
    std::fflush(stdout);
    return unseen.size() + (round ? 0 : 1);
}

// Tab to the strip's entry for `title` and press Return on it; whether it was reached.
bool openByKeys(QWidget& window, const QString& title)
{
    for (int i = 0; i < 400; ++i) {
        press(window, Qt::Key_Tab);
        const QWidget* at = QApplication::focusWidget();
        if (at && at->objectName() == "tab:" + title) {
            press(window, Qt::Key_Return);
            return true;
        }
    }
    return false;
}

QString fileName(int position, const QString& screen)
{
    return QString("%1-%2.png").arg(position, 2, 10, QChar('0')).arg(screen.toLower().replace(' ', '-'));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmarsh");
    QApplication::setApplicationVersion(QM_VERSION);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"out", "The folder for the PNGs.", "FOLDER"});
    parser.addOption({"pause", "Milliseconds each screen is given before its picture.", "MS", "3000"});
    parser.addOption({"keys", "Walk by the keyboard alone and report each screen's Tab stops."});
    parser.process(app);
    const QDir folder(parser.value("out"));
    if (!parser.isSet("out") || !QDir().mkpath(folder.path())) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    AppStyle::install();

    LinuxPlatform platform;
    const PlatformServices services = platform.services();
    int failures = 0;
    {
        MainWindow window(services);
        window.resize(window.minimumSize());
        window.show();

        std::deque<std::function<void()>> steps;
        steps.push_back([&] { failures += save(window, folder.filePath(fileName(0, "welcome"))) ? 0 : 1; });
        const bool keys = parser.isSet("keys");
        steps.push_back([&] {
            auto* start = window.findChild<QAbstractButton*>("getStartedButton");
            if (keys && start) {
                QApplication::setActiveWindow(&window);
                settle();
                std::printf("welcome: focus on %s\n", qPrintable(FocusSight::nameOf(QApplication::focusWidget())));
                press(window, Qt::Key_Return);
            } else if (start) {
                start->click();
            } else {
                ++failures;
            }
        });
        int position = 1;
        for (const AppScreen screen : AppScreens::allCases()) {
            const QString title = AppScreens::rawValue(screen);
            steps.push_back([&window, &failures, title, keys, position] {
                if (keys) {
                    if (position > 1 && !openByKeys(window, title)) {
                        std::printf("%s is not reached by Tab\n", qPrintable(title));
                        ++failures;
                    }
                } else if (auto* tab = window.findChild<ScreenTabButton*>("tab:" + title)) {
                    tab->click();
                } else {
                    ++failures;
                }
            });
            steps.push_back([&, title, position] {
                const QWidget* shown = window.contentView()->detailView();
                if (!shown || shown->objectName() != "screen:" + title) {
                    std::printf("%s is not shown\n", qPrintable(title));
                    ++failures;
                }
                failures += save(window, folder.filePath(fileName(position, title))) ? 0 : 1;
                if (keys)
                    failures += tabRound(window, title);
            });
            ++position;
        }
        steps.push_back([&window] { window.quitAction()->trigger(); });

        QTimer driver;
        driver.setInterval(parser.value("pause").toInt());
        QObject::connect(&driver, &QTimer::timeout, &app, [&steps] {
            if (steps.empty())
                return;
            const auto step = std::move(steps.front());
            steps.pop_front();
            step();
        });
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &driver, &QTimer::stop);
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &app,
                         [&services] { services.processRunner->endChildren(); });
        driver.start();
        QApplication::exec();
    }
    WorkQueues::drain(std::chrono::seconds(1));
    const int children = childCount();
    std::printf("children at quit: %d\n", children);
    return failures == 0 && children == 0 ? 0 : 1;
}
