#include "AllScreens.h"

#include "SnapshotRenderer.h"
#include "app/AppScreen.h"

#include <QDir>
#include <QProcess>
#include <cstdio>

QString AllScreens::fileName(const QString& screen, bool colorBlind)
{
    return screen.toLower().replace(' ', '-') + (colorBlind ? "-color-blind" : "") + ".png";
}

int AllScreens::render(const QString& program, const QProcessEnvironment& environment, const QString& folder,
                       QSize size, bool live)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "qm_snapshot: could not make %s\n", qPrintable(folder));
        return 1;
    }
    QStringList screens{SnapshotRenderer::welcome};
    for (const AppScreen screen : AppScreens::allCases())
        screens.append(AppScreens::rawValue(screen));

    int failures = 0;
    for (const QString& screen : std::as_const(screens)) {
        for (const bool colorBlind : {false, true}) {
            const QString file = QDir(folder).filePath(fileName(screen, colorBlind));
            QStringList arguments{"--screen", screen, "--out", file, "--size",
                                  QString("%1x%2").arg(size.width()).arg(size.height())};
            if (colorBlind)
                arguments.append("--color-blind");
            if (live)
                arguments.append("--live");
            QProcess run;
            run.setProcessEnvironment(environment);
            run.setProcessChannelMode(QProcess::ForwardedChannels);
            run.start(program, arguments);
            const bool written = run.waitForFinished(-1) && run.exitStatus() == QProcess::NormalExit &&
                                 run.exitCode() == 0;
            std::printf("%s %s\n", written ? "wrote" : "FAILED", qPrintable(file));
            std::fflush(stdout);
            failures += written ? 0 : 1;
        }
    }
    return failures == 0 ? 0 : 1;
}
