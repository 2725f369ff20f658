// The application, or a bare Qt window with a one-second timer, that prints the wall-clock time
// (CLOCK_REALTIME, nanoseconds) at which its first complete frame was on screen:
//   first-frame <nanoseconds>
// dashboard_side_by_side runs it to time start-ups; with --quit-after-first-frame it quits then.
// With --control FIFO it reads lines "screen N" (N counted from 0 in strip order) or "screen TITLE"
// from that named pipe and presses that screen's entry in the strip, as a click would, then prints
//   selected <title>
// and, for each other window then on screen, "covered-by <class> <title>". With --drift widest the
// backdrop's glows swing as far as their drift ever takes them, each towards the middle of the
// window, instead of to the targets drawn at random when it appeared; with --drift average, half as
// far, as far as the random targets take them on average. A glow that swings wider repaints more,
// so the figures of a run are those of that drift, and alike from run to run. "press NAME" clicks
// the button of that object name and "show NAME" prints what it says, as
//   shows <name> <checked|unchecked|-> <visible|hidden> <text>
// "dashboard_probe screens" prints the strip's titles, one a line.
//
//   dashboard_probe app|bare [--quit-after-first-frame] [--control FIFO] [--drift widest|average]
//   dashboard_probe screens

#include "LoopbackOnlyNetwork.h"
#include "app/QuillmarshApp.h"
#include "app/ScreenStrip.h"
#include "app/ScreenTabButton.h"
#include "style/AnimatedBackground.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <array>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool g_quitAfterFirstFrame = false;
// How far the glows swing, as a share of their widest swing; 0 leaves the drift drawn at random.
qreal g_drift = 0;
const char* g_controlPath = nullptr;

void setDrift()
{
    // From each glow's resting place, the direction of the window's middle.
    const std::array<QPointF, 3> inwards = {QPointF(50, 30), QPointF(-50, -30), QPointF(50, -30)};
    for (QWidget* window : QApplication::topLevelWidgets()) {
        for (AnimatedBackground* background : window->findChildren<AnimatedBackground*>()) {
            for (size_t i = 0; i < inwards.size(); ++i)
                background->blobs()[i].setTargets(inwards[i] * g_drift, 1 + 0.1 * g_drift);
        }
    }
}

// Sees the first paint of a widget (a window covered by opaque children gets none itself); the frame
// is complete once the event that painted it (the whole widget tree and the flush to the screen) has
// been handled, which the zero timer waits for.
class FirstFrameWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_seen = true;
            // Nothing but the program itself is measured after this.
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, qApp, [] {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                std::printf("first-frame %lld\n",
                            static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
                std::fflush(stdout);
                if (g_drift > 0)
                    setDrift();
                if (g_quitAfterFirstFrame)
                    QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

// Selects screens on the commands written to the named pipe. The pipe is opened for writing too,
// so that it never reads as ended (which would wake the notifier for good) between two writers.
class ScreenControl : public QObject {
public:
    explicit ScreenControl(int pipe, QObject* parent)
        : QObject(parent), m_pipe(pipe), m_notifier(pipe, QSocketNotifier::Read, this)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &ScreenControl::readCommands);
    }

private:
    void readCommands()
    {
        char buffer[512];
        for (ssize_t got; (got = ::read(m_pipe, buffer, sizeof buffer)) > 0;)
            m_pending.append(buffer, got);
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1))
            run(QString::fromUtf8(m_pending.left(end)).trimmed());
        std::fflush(stdout);
    }

    static QWidget* named(const QString& name)
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = window->findChild<QWidget*>(name))
                return found;
        }
        return nullptr;
    }

    static void run(const QString& command)
    {
        if (command.startsWith("press ") || command.startsWith("show ")) {
            const QString name = command.section(u' ', 1);
            QWidget* widget = named(name);
            auto* button = qobject_cast<QAbstractButton*>(widget);
            auto* label = qobject_cast<QLabel*>(widget);
            if (button && command.startsWith("press "))
                button->click();
            if (!widget)
                std::printf("no-widget %s\n", qPrintable(name));
            else
                std::printf("shows %s %s %s %s\n", qPrintable(name),
                            button ? (button->isChecked() ? "checked" : "unchecked") : "-",
                            widget->isVisible() ? "visible" : "hidden", label ? qPrintable(label->text()) : "");
            return;
        }
        if (!command.startsWith("screen ")) {
            std::printf("unknown-command %s\n", qPrintable(command));
            return;
        }
        const QString name = command.mid(7).trimmed();
        bool isIndex = false;
        const int index = name.toInt(&isIndex);
        const QList<AppScreen>& screens = AppScreens::allCases();
        qsizetype at = isIndex ? index : -1;
        if (const std::optional<AppScreen> titled = AppScreens::fromRawValue(name); !isIndex && titled)
            at = screens.indexOf(*titled);
        ScreenStrip* strip = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!strip)
                strip = window->findChild<ScreenStrip*>();
        }
        if (at < 0 || at >= screens.size() || !strip) {
            std::printf("no-screen %s\n", qPrintable(name));
            return;
        }
        const AppScreen screen = screens[at];
        for (ScreenTabButton* button : strip->buttons()) {
            if (button->screen() == screen)
                button->click();
        }
        std::printf("selected %s\n", qPrintable(AppScreens::rawValue(screen)));
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window != strip->window() && window->isVisible())
                std::printf("covered-by %s %s\n", window->metaObject()->className(), qPrintable(window->windowTitle()));
        }
    }

    int m_pipe;
    QSocketNotifier m_notifier;
    QByteArray m_pending;
};

void watchFirstFrame()
{
    qApp->installEventFilter(new FirstFrameWatcher(qApp));
    if (!g_controlPath)
        return;
    const int pipe = ::open(g_controlPath, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (pipe < 0)
        std::fprintf(stderr, "cannot open %s\n", g_controlPath);
    else
        new ScreenControl(pipe, qApp);
}

int runBare(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto* label = new QLabel("0", &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(label);
    QTimer tick;
    int ticks = 0;
    QObject::connect(&tick, &QTimer::timeout, label, [&] { label->setNum(++ticks); });
    tick.start(1000);
    window.resize(1000, 650);
    window.show();
    return QApplication::exec();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstFrame)

int main(int argc, char* argv[])
{
    if (argc == 2 && QByteArray(argv[1]) == "screens") {
        for (const AppScreen screen : AppScreens::allCases())
            std::printf("%s\n", qPrintable(AppScreens::rawValue(screen)));
        return 0;
    }
    if (argc < 2 || (QByteArray(argv[1]) != "app" && QByteArray(argv[1]) != "bare")) {
        std::fputs("usage: dashboard_probe app|bare [--quit-after-first-frame] [--control FIFO] [--drift widest|average]\n"
                   "       dashboard_probe screens\n", stderr);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--quit-after-first-frame")
            g_quitAfterFirstFrame = true;
        else if (QByteArray(argv[i]) == "--drift" && i + 1 < argc)
            g_drift = QByteArray(argv[++i]) == "average" ? 0.5 : 1.0;
        else if (QByteArray(argv[i]) == "--control" && i + 1 < argc)
            g_controlPath = argv[++i];
    }
    // Live services, and the pings they send, stay on this machine.
    if (const QString failure = LoopbackOnlyNetwork::enter(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    return QByteArray(argv[1]) == "app" ? QuillmarshApp::main(argc, argv) : runBare(argc, argv);
}
