#include "LoopbackRequired.h"
#include "TestMain.h"
#include "linux/LinuxLatencyProbe.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class RecordingProbe final : public LatencyProbe {
public:
    static constexpr double answer = 777;

    std::optional<double> measure(const QString& host, int timeoutMs) override
    {
        asked.append(QStringLiteral("%1 %2").arg(host).arg(timeoutMs));
        return answer;
    }

    QStringList asked;
};

// Whether this process may open an ICMP socket of either kind.
bool mayOpenEchoSocket()
{
    for (const int type : {SOCK_DGRAM, SOCK_RAW}) {
        const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
    }
    return false;
}

} // namespace

class TestLinuxLatencyProbe : public QObject {
    Q_OBJECT
private slots:
    void roundsAsPingPrints_data()
    {
        QTest::addColumn<qint64>("microseconds");
        QTest::addColumn<double>("milliseconds");

        QTest::newRow("under 1 ms: three decimals") << qint64(45) << 0.045;
        QTest::newRow("just under 1 ms") << qint64(999) << 0.999;
        QTest::newRow("under 10 ms: two decimals") << qint64(1234) << 1.23;
        QTest::newRow("under 10 ms, rounded up") << qint64(9876) << 9.88;
        QTest::newRow("under 100 ms: one decimal") << qint64(12'345) << 12.3;
        QTest::newRow("from 100 ms: whole") << qint64(150'600) << 151.0;
    }

    void roundsAsPingPrints()
    {
        QFETCH(qint64, microseconds);
        QFETCH(double, milliseconds);
        QCOMPARE(LinuxLatencyProbe::asPingPrints(microseconds), milliseconds);
    }

    void leavesNamesToTheFallback_data()
    {
        QTest::addColumn<QString>("host");

        QTest::newRow("host name") << "localhost";
        QTest::newRow("IPv6 address") << "::1";
        QTest::newRow("incomplete address") << "127.0.1";
        QTest::newRow("empty") << "";
    }

    void leavesNamesToTheFallback()
    {
        QFETCH(QString, host);
        const auto fallback = std::make_shared<RecordingProbe>();
        LinuxLatencyProbe probe(fallback);
        QCOMPARE(probe.measure(host, 1500), std::optional<double>(RecordingProbe::answer));
        QCOMPARE(fallback->asked, QStringList{host + " 1500"});
    }

    void echoesOnTheLoopback_data()
    {
        QTest::addColumn<bool>("abandoned");

        QTest::newRow("answered") << false;
        QTest::newRow("abandoned while waiting") << true;
    }

    // Runs as root and as a normal user: where no ICMP socket may be opened, ping answers.
    void echoesOnTheLoopback()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(bool, abandoned);
        const auto fallback = std::make_shared<RecordingProbe>();
        LinuxLatencyProbe probe(fallback, [abandoned] { return abandoned; });
        const std::optional<double> latency = probe.measure("127.0.0.1", 2000);
        if (!mayOpenEchoSocket()) {
            QCOMPARE(latency, std::optional<double>(RecordingProbe::answer));
            QCOMPARE(fallback->asked, QStringList{"127.0.0.1 2000"});
            return;
        }
        QVERIFY(fallback->asked.isEmpty());
        if (abandoned) {
            QCOMPARE(latency, std::nullopt);
            return;
        }
        QVERIFY(latency);
        QVERIFY(*latency >= 0 && *latency < 2000);
        // Each request has its own sequence number: a second one is answered too.
        QVERIFY(probe.measure("127.0.0.1", 2000));
    }
};

QM_TEST_MAIN(TestLinuxLatencyProbe)
#include "tst_LinuxLatencyProbe.moc"
