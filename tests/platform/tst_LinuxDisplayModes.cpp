#include "TestMain.h"
#include "linux/LinuxDisplayModes.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#include <xcb/randr.h>

namespace {

// An X server with the dummy video driver: unlike Xvfb, its output switches modes for real. Two
// sizes with two rates of one of them, beside the driver's own standard modes.
const char* const serverConfig = R"(
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 64000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1280x800_60" 83.50 1280 1352 1480 1680 800 803 809 831 -hsync +vsync
    Modeline "1280x800_120" 174.25 1280 1380 1516 1752 800 803 809 829 -hsync +vsync
    Modeline "1024x768_60" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1280x800_60" "1280x800_120" "1024x768_60"
    EndSubSection
EndSection
)";

struct ListedMode {
    quint64 id = 0;
    qint64 width = 0;
    qint64 height = 0;
    QString rate;
    bool isCurrent = false;
    bool operator==(const ListedMode&) const = default;
};

} // namespace

class TestLinuxDisplayModes : public QObject {
    Q_OBJECT
private:
    QProcess m_server;
    QString m_display;

    // What `xrandr --verbose` reports for the modes of the display's primary output.
    QList<ListedMode> xrandrModes()
    {
        QProcess xrandr;
        xrandr.start(QStandardPaths::findExecutable("xrandr"), {"--display", m_display, "--verbose"});
        if (!xrandr.waitForFinished(10000))
            return {};
        QList<ListedMode> modes;
        bool inPrimary = false;
        const QRegularExpression header(R"(^  (\S+) \((0x[0-9a-f]+)\).*?( \*current)?)");
        const QRegularExpression width(R"(^\s+h: width\s+(\d+))");
        const QRegularExpression height(R"(^\s+v: height\s+(\d+).*clock\s+([\d.]+)Hz)");
        for (const QString& line : QString::fromUtf8(xrandr.readAllStandardOutput()).split('\n')) {
            if (!line.startsWith(' ') && !line.startsWith('\t'))
                inPrimary = line.contains(" connected primary");
            if (!inPrimary)
                continue;
            if (auto m = header.match(line); m.hasMatch())
                modes.append({m.captured(2).toULongLong(nullptr, 16), 0, 0, {}, line.contains("*current")});
            else if (auto m = width.match(line); m.hasMatch() && !modes.isEmpty())
                modes.last().width = m.captured(1).toLongLong();
            else if (auto m = height.match(line); m.hasMatch() && !modes.isEmpty()) {
                modes.last().height = m.captured(1).toLongLong();
                modes.last().rate = m.captured(2);
            }
        }
        return modes;
    }

    QList<ListedMode> ourModes(LinuxDisplayModes& display)
    {
        QList<ListedMode> modes;
        const auto current = display.currentMode();
        for (const DisplayMode& mode : display.allModes(true).value_or(QList<DisplayMode>{}))
            modes.append({mode.id, mode.width, mode.height, QString::number(mode.refreshRate, 'f', 2),
                          current && *current == mode});
        return modes;
    }

private slots:
    void initTestCase()
    {
        QString server = QStandardPaths::findExecutable("Xorg");
        if (server.isEmpty())
            QSKIP("Xorg is not installed, so there is no X server whose modes can switch.");
        QFile config(QDir::tempPath() + "/dummy-display.conf");
        QVERIFY(config.open(QIODevice::WriteOnly) && config.write(serverConfig) > 0);
        config.close();
        // A display number no other server on this machine holds.
        int number = 200 + getpid() % 500;
        while (QFile::exists(QString("/tmp/.X%1-lock").arg(number)))
            ++number;
        m_display = QString(":%1").arg(number);
        m_server.setProgram(server);
        m_server.setArguments({m_display, "-config", config.fileName(), "-logfile", QDir::tempPath() + "/Xorg.log",
                               "-nolisten", "tcp", "-noreset"});
        m_server.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start();
        if (!m_server.waitForStarted(5000))
            QSKIP(qPrintable("Xorg could not be started: " + m_server.errorString()));
        const QString socket = QString("/tmp/.X11-unix/X%1").arg(number);
        for (int waited = 0; waited < 15000 && m_server.state() == QProcess::Running && !QFile::exists(socket);
             waited += 100)
            QTest::qWait(100);
        if (m_server.state() != QProcess::Running || !QFile::exists(socket)) {
            const QStringList said = QString::fromLocal8Bit(m_server.readAll()).trimmed().split('\n');
            const QString why = said.filter("(EE)").join(' ').simplified();
            QSKIP(qPrintable("Xorg with the dummy driver could not start here: " + why));
        }
        QTRY_VERIFY_WITH_TIMEOUT(LinuxDisplayModes(m_display).currentMode().has_value(), 10000);
    }

    void cleanupTestCase()
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    void refreshRate_data()
    {
        QTest::addColumn<quint32>("clock");
        QTest::addColumn<int>("hTotal");
        QTest::addColumn<int>("vTotal");
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<double>("expected");
        QTest::newRow("progressive") << 148500000u << 2200 << 1125 << 0u << 60.0;
        QTest::newRow("interlaced, two fields a frame") << 74250000u << 2200 << 1125 << quint32(XCB_RANDR_MODE_FLAG_INTERLACE) << 60.0;
        QTest::newRow("double scan, each line twice") << 25175000u << 800 << 262 << quint32(XCB_RANDR_MODE_FLAG_DOUBLE_SCAN)
                                                   << 25175000.0 / (800 * 524);
        QTest::newRow("no totals") << 148500000u << 0 << 1125 << 0u << 0.0;
    }
    void refreshRate()
    {
        QFETCH(quint32, clock);
        QFETCH(int, hTotal);
        QFETCH(int, vTotal);
        QFETCH(quint32, flags);
        QFETCH(double, expected);
        QCOMPARE(LinuxDisplayModes::refreshRate(clock, quint16(hTotal), quint16(vTotal), flags), expected);
    }

    void withoutADisplayNothingIsListedOrSwitched()
    {
        for (const QString& name : {QString(), QString(":4999")}) {
            LinuxDisplayModes display(name);
            QVERIFY(!display.allModes(true));
            QVERIFY(!display.currentMode());
            QVERIFY(display.setMode({1, 1024, 768, 60, false}) != 0);
        }
    }

    void modesAreThoseXrandrReports()
    {
        LinuxDisplayModes display(m_display);
        const QList<ListedMode> ours = ourModes(display);
        QVERIFY(ours.size() >= 3);
        QCOMPARE(ours, xrandrModes());
        QCOMPARE(ours.first().width, 1280);
        QCOMPARE(ours.first().rate, "59.81");
        QCOMPARE(ours.at(1).rate, "119.97");
    }

    void switchingChangesWhatXrandrReportsAsCurrent()
    {
        LinuxDisplayModes display(m_display);
        const QList<DisplayMode> modes = display.allModes(true).value();
        for (const auto& [width, height, rate] : {std::tuple{1024, 768, 60.0}, {1280, 800, 119.97}, {1280, 800, 59.81}}) {
            // The bindings are copied in: clang 14 cannot capture them.
            const auto target = std::find_if(modes.begin(), modes.end(), [w = width, h = height, r = rate](const DisplayMode& m) {
                return m.width == w && m.height == h && qAbs(m.refreshRate - r) < 0.01;
            });
            QVERIFY(target != modes.end());
            QCOMPARE(display.setMode(*target), 0);
            QCOMPARE(display.currentMode()->id, target->id);
            const QList<ListedMode> reported = xrandrModes();
            const auto current = std::find_if(reported.begin(), reported.end(), [](const ListedMode& m) { return m.isCurrent; });
            QVERIFY(current != reported.end());
            QCOMPARE(current->id, target->id);
        }
        QVERIFY(display.setMode({0xdead, 640, 480, 60, false}) != 0);
    }
};

QM_TEST_MAIN(TestLinuxDisplayModes)
#include "tst_LinuxDisplayModes.moc"
