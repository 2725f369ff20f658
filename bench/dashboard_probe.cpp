// The application, or a bare Qt window with a one-second timer, that prints the wall-clock time
// (CLOCK_REALTIME, nanoseconds) at which its first complete frame was on screen:
//   first-frame <nanoseconds>
// dashboard_side_by_side runs it to time start-ups; with --quit-after-first-frame it quits then.
//
//   dashboard_probe app|bare [--quit-after-first-frame]

#include "LoopbackOnlyNetwork.h"
#include "app/QuillmarshApp.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <ctime>

namespace {

bool g_quitAfterFirstFrame = false;

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
            QTimer::singleShot(0, qApp, [] {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                std::printf("first-frame %lld\n",
                            static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
                std::fflush(stdout);
                if (g_quitAfterFirstFrame)
                    QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

void watchFirstFrame()
{
    qApp->installEventFilter(new FirstFrameWatcher(qApp));
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
    if (argc < 2 || (QByteArray(argv[1]) != "app" && QByteArray(argv[1]) != "bare")) {
        std::fputs("usage: dashboard_probe app|bare [--quit-after-first-frame]\n", stderr);
        return 2;
    }
    g_quitAfterFirstFrame = argc > 2 && QByteArray(argv[2]) == "--quit-after-first-frame";
    // Live services, and the pings they send, stay on this machine.
    if (const QString failure = LoopbackOnlyNetwork::enter(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    return QByteArray(argv[1]) == "app" ? QuillmarshApp::main(argc, argv) : runBare(argc, argv);
}
