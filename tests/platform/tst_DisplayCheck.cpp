#include "TestMain.h"
#include "XvfbServer.h"
#include "linux/DisplayCheck.h"

#include <QProcess>
#include <memory>

Q_DECLARE_METATYPE(DisplayCheck::Target)

namespace {

QProcessEnvironment environmentOf(const QStringList& settings)
{
    QProcessEnvironment environment;
    for (const QString& setting : settings)
        environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
    return environment;
}

// A local X display no server holds: neither its socket nor its lock file is there.
QString unansweredDisplay()
{
    for (int number = 917; number < 1017; ++number) {
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))
            && !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            return QStringLiteral(":%1").arg(number);
    }
    return {};
}

} // namespace

class TestDisplayCheck : public QObject {
    Q_OBJECT
private slots:
    // The plain cases are the problem table's.
    void target_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<DisplayCheck::Target>("expected");
        using Target = DisplayCheck::Target;
        QTest::newRow("nothing announced") << QStringList() << QStringList() << Target::Nothing;
        QTest::newRow("an empty DISPLAY") << QStringList() << QStringList{"DISPLAY="} << Target::Nothing;
        QTest::newRow("Wayland beside X")
            << QStringList() << QStringList{"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0"} << Target::Wayland;
        QTest::newRow("a Wayland session without its variable")
            << QStringList() << QStringList{"DISPLAY=:0", "XDG_SESSION_TYPE=wayland"} << Target::Wayland;
        QTest::newRow("X11 with parameters")
            << QStringList() << QStringList{"QT_QPA_PLATFORM=xcb:nograb", "WAYLAND_DISPLAY=w"} << Target::X11;
        QTest::newRow("X11 first in a list that falls back to Wayland")
            << QStringList() << QStringList{"QT_QPA_PLATFORM=xcb;wayland", "DISPLAY=:0"} << Target::Other;
        QTest::newRow("the command line over the environment")
            << QStringList{"quillmarsh", "-platform", "offscreen"} << QStringList{"QT_QPA_PLATFORM=xcb", "DISPLAY=:0"}
            << Target::Other;
        QTest::newRow("the command line with two dashes")
            << QStringList{"quillmarsh", "--platform", "xcb"} << QStringList{"QT_QPA_PLATFORM=offscreen"}
            << Target::X11;
        QTest::newRow("a display named on the command line only")
            << QStringList{"quillmarsh", "-display", ":0"} << QStringList() << Target::X11;
        QTest::newRow("an option without its value")
            << QStringList{"quillmarsh", "-platform"} << QStringList{"DISPLAY=:0"} << Target::X11;
        QTest::newRow("the program's own name is no option")
            << QStringList{"-platform", "offscreen"} << QStringList{"DISPLAY=:0"} << Target::X11;
    }

    void target()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(DisplayCheck::Target, expected);
        QCOMPARE(DisplayCheck::target(arguments, environmentOf(environment)), expected);
    }

    void problem_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("told");
        QTest::newRow("no display at all") << QStringList() << "neither DISPLAY nor WAYLAND_DISPLAY is set";
        QTest::newRow("an X display no server holds") << QStringList{"DISPLAY=@unanswered@"} << "does not answer";
        QTest::newRow("no name of a display") << QStringList{"DISPLAY=nowhere"} << "is not the name of an X display";
        QTest::newRow("X11 named without DISPLAY") << QStringList{"QT_QPA_PLATFORM=xcb"} << "DISPLAY is not set";
        QTest::newRow("offscreen needs no display") << QStringList{"QT_QPA_PLATFORM=offscreen"} << QString();
        QTest::newRow("Wayland without a compositor goes on to X")
            << QStringList{"WAYLAND_DISPLAY=nowhere", "DISPLAY=@xvfb@"} << QString();
        QTest::newRow("a screen the server does not have") << QStringList{"DISPLAY=@xvfb@.3"} << "has no such screen";
        QTest::newRow("Wayland without a compositor or X")
            << QStringList{"WAYLAND_DISPLAY=wayland-9"} << "a Wayland session is announced";
        QTest::newRow("a Wayland session type alone") << QStringList{"XDG_SESSION_TYPE=wayland"} << "DISPLAY is not set";
        QTest::newRow("a stopped X server") << QStringList{"DISPLAY=@stopped@"} << "did not answer within 0.3 seconds";
    }

    // What is told, and that the application says it and ends with a failure status of its own
    // instead of the GUI library's abort.
    void problem()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, told);
        const QString unanswered = unansweredDisplay();
        QVERIFY(!unanswered.isEmpty());
        environment.replaceInStrings("@unanswered@", unanswered);
        const bool stopped = !environment.filter("@stopped@").isEmpty();
        if (stopped || !environment.filter("@xvfb@").isEmpty()) {
            if (!m_xvfb)
                m_xvfb = std::make_unique<XvfbServer>();
            if (!m_xvfb->isRunning())
                QSKIP(qPrintable(m_xvfb->errorString()));
            environment.replaceInStrings(QRegularExpression("@(xvfb|stopped)@"), m_xvfb->display());
        }
        // The server takes the connection and answers only once it is continued, after the check.
        struct Continued {
            pid_t server;
            ~Continued()
            {
                if (server)
                    ::kill(server, SIGCONT);
            }
        } const continued{stopped ? pid_t(m_xvfb->processId()) : 0};
        if (stopped)
            QCOMPARE(::kill(continued.server, SIGSTOP), 0);
        const QString problem
            = DisplayCheck::problem({"quillmarsh"}, environmentOf(environment), std::chrono::milliseconds(stopped ? 300 : 5000));
        if (told.isEmpty()) {
            QCOMPARE(problem, QString());
            return;
        }
        QVERIFY2(problem.contains(told), qPrintable(problem));
        QVERIFY2(problem.contains("scripts/run"), qPrintable(problem));
        // The application would wait its full time for the stopped server.
        if (stopped)
            return;

        QProcessEnvironment started = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
            started.remove(variable);
        const QProcessEnvironment rowSettings = environmentOf(environment);
        for (const QString& variable : rowSettings.keys())
            started.insert(variable, rowSettings.value(variable));
        QProcess application;
        application.setProcessEnvironment(started);
        application.start(QStringLiteral(QM_APPLICATION), {});
        QVERIFY(application.waitForFinished(60000));
        QCOMPARE(application.exitStatus(), QProcess::NormalExit);
        QCOMPARE(application.exitCode(), 1);
        QVERIFY2(application.readAllStandardError().contains(told.toUtf8()), "the application did not say it");
    }

    // Read from the plugins' own metadata: with none found, Wayland would count as never installed.
    void platformPluginsAreFound()
    {
        const QStringList plugins = DisplayCheck::platformPlugins({"quillmarsh"}, QProcessEnvironment());
        QVERIFY2(plugins.contains("xcb") && plugins.contains("offscreen"), qPrintable(plugins.join(' ')));
    }

private:
    std::unique_ptr<XvfbServer> m_xvfb;
};

QM_TEST_MAIN(TestDisplayCheck)
#include "tst_DisplayCheck.moc"
