#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "linux/LinuxAppleScriptRunner.h"

class TestLinuxAppleScriptRunner : public QObject {
    Q_OBJECT
private slots:
    void run_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<std::optional<ProcessResult>>("wpctl"); // nothing: not installed
        QTest::addColumn<bool>("pactl");                         // installed and succeeds
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("commands");

        const auto ok = std::optional(ProcessResult::exited(0));
        const auto absent = std::optional<ProcessResult>();
        const QString wpMute = "/usr/bin/wpctl set-mute @DEFAULT_AUDIO_SINK@ 1";
        const QString paMute = "/usr/bin/pactl set-sink-mute @DEFAULT_SINK@ 1";
        const QString notAvailable = "AppleScript is not available on this system; only muting and unmuting the "
                                     "sound output can be done here.";

        QTest::newRow("mute with wpctl") << "set volume output muted" << ok << true << "" << QStringList{wpMute};
        QTest::newRow("unmute with pactl when wpctl is missing")
            << "set volume output muted false" << absent << true << ""
            << QStringList{"/usr/bin/wpctl set-mute @DEFAULT_AUDIO_SINK@ 0", "/usr/bin/pactl set-sink-mute @DEFAULT_SINK@ 0"};
        QTest::newRow("neither installed")
            << "set volume output muted" << absent << false
            << "The sound output cannot be muted here: neither wpctl nor pactl is installed."
            << QStringList{wpMute, paMute};
        QTest::newRow("any other script") << "do shell script \"rm -rf ~\" with administrator privileges" << ok
                                          << true << notAvailable << QStringList{};
    }

    void run()
    {
        QFETCH(QString, script);
        QFETCH(std::optional<ProcessResult>, wpctl);
        QFETCH(bool, pactl);
        QFETCH(QString, error);
        QFETCH(QStringList, commands);
        FakeProcessRunner runner;
        if (wpctl)
            runner.respond("/usr/bin/wpctl", *wpctl);
        if (pactl)
            runner.respond("/usr/bin/pactl", ProcessResult::exited(0));
        const auto result = LinuxAppleScriptRunner(runner).run(script);
        QCOMPARE(result.succeeded, error.isEmpty());
        QCOMPARE(result.errorMessage, error);
        QCOMPARE(runner.commandLines(), commands);
        for (const auto& call : runner.calls())
            QVERIFY(call.timeoutMs > 0 && call.timeoutMs <= 10'000);
    }
};

QM_TEST_MAIN(TestLinuxAppleScriptRunner)
#include "tst_LinuxAppleScriptRunner.moc"
