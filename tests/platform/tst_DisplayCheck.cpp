#include "TestMain.h"
#include "linux/DisplayCheck.h"

#include <QProcess>

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
            << QStringList() << QStringList{"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0"} << Target::Other;
        QTest::newRow("a Wayland session without its variable")
            << QStringList() << QStringList{"DISPLAY=:0", "XDG_SESSION_TYPE=wayland"} << Target::Other;
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
        QTest::newRow("Wayland is left to the library") << QStringList{"WAYLAND_DISPLAY=nowhere"} << QString();
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
        const QString problem = DisplayCheck::problem({"quillmarsh"}, environmentOf(environment));
        if (told.isEmpty()) {
            QCOMPARE(problem, QString());
            return;
        }
        QVERIFY2(problem.contains(told), qPrintable(problem));
        QVERIFY2(problem.contains("scripts/run"), qPrintable(problem));

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
};

QM_TEST_MAIN(TestDisplayCheck)
#include "tst_DisplayCheck.moc"
