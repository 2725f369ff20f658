#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "linux/LinuxAppleScriptRunner.h"

namespace {
const QString kWpctl = "/usr/bin/wpctl";
const QString kPactl = "/usr/bin/pactl";
} // namespace

class TestLinuxAppleScriptRunner : public QObject {
    Q_OBJECT
private slots:
    void run_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<std::optional<ProcessResult>>("wpctl"); // nothing: not installed
        QTest::addColumn<std::optional<ProcessResult>>("pactl");
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("commands");

        const auto ok = std::optional(ProcessResult::exited(0));
        const auto absent = std::optional<ProcessResult>();
        const QString wpMute = "/usr/bin/wpctl set-mute @DEFAULT_AUDIO_SINK@ 1";
        const QString paMute = "/usr/bin/pactl set-sink-mute @DEFAULT_SINK@ 1";

        QTest::newRow("mute with wpctl") << "set volume output muted" << ok << ok << true << "" << QStringList{wpMute};
        QTest::newRow("unmute with wpctl") << "set volume output muted false" << ok << absent << true << ""
                                           << QStringList{"/usr/bin/wpctl set-mute @DEFAULT_AUDIO_SINK@ 0"};
        QTest::newRow("pactl when wpctl is missing") << "set volume output muted" << absent << ok << true << ""
                                                     << QStringList{wpMute, paMute};
        QTest::newRow("unmute with pactl") << "set volume output muted false" << absent << ok << true << ""
                                           << QStringList{"/usr/bin/wpctl set-mute @DEFAULT_AUDIO_SINK@ 0",
                                                          "/usr/bin/pactl set-sink-mute @DEFAULT_SINK@ 0"};
        QTest::newRow("pactl when wpctl fails")
            << "set volume output muted" << std::optional(ProcessResult::exited(1, {}, "no server\n")) << ok << true
            << "" << QStringList{wpMute, paMute};
        QTest::newRow("wpctl fails, no pactl")
            << "set volume output muted" << std::optional(ProcessResult::exited(1, {}, "Could not connect to PipeWire\n"))
            << absent << false << "wpctl could not change the sound output: Could not connect to PipeWire"
            << QStringList{wpMute, paMute};
        QTest::newRow("both fail")
            << "set volume output muted" << std::optional(ProcessResult::exited(1)) << std::optional(ProcessResult::exited(1))
            << false << "pactl could not change the sound output." << QStringList{wpMute, paMute};
        QTest::newRow("neither installed")
            << "set volume output muted" << absent << absent << false
            << "The sound output cannot be muted here: neither wpctl nor pactl is installed."
            << QStringList{wpMute, paMute};
        QTest::newRow("blanks and line breaks do not matter") << "  set volume\noutput muted " << ok << ok << true
                                                              << "" << QStringList{wpMute};
        QTest::newRow("any other script")
            << "do shell script \"rm -rf ~\" with administrator privileges" << ok << ok << false
            << "AppleScript is not available on this system; only muting and unmuting the sound output can be "
               "done here."
            << QStringList{};
        QTest::newRow("mute with an extra word") << "set volume output muted true" << ok << ok << false
                                                 << "AppleScript is not available on this system; only muting and "
                                                    "unmuting the sound output can be done here."
                                                 << QStringList{};
    }

    void run()
    {
        QFETCH(QString, script);
        QFETCH(std::optional<ProcessResult>, wpctl);
        QFETCH(std::optional<ProcessResult>, pactl);
        QFETCH(bool, succeeded);
        QFETCH(QString, error);
        QFETCH(QStringList, commands);

        FakeProcessRunner runner;
        if (wpctl)
            runner.respond(kWpctl, *wpctl);
        if (pactl)
            runner.respond(kPactl, *pactl);
        LinuxAppleScriptRunner scripts(runner);
        const auto result = scripts.run(script);
        QCOMPARE(result.succeeded, succeeded);
        QCOMPARE(result.errorMessage, error);
        QCOMPARE(runner.commandLines(), commands);
        for (const auto& call : runner.calls())
            QVERIFY(call.timeoutMs > 0 && call.timeoutMs <= 10'000);
    }
};

QM_TEST_MAIN(TestLinuxAppleScriptRunner)
#include "tst_LinuxAppleScriptRunner.moc"
