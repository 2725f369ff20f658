#include "CleanerStage.h"

#include "FakeProcessRunner.h"

#include "app/ContentView.h"
#include "cleanup/DiskScanner.h"
#include "screens/cleaner/CleanerView.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPropertyAnimation>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int kWaitMs = 30'000;
constexpr qint64 MiB = 1024 * 1024;

void sparseFile(const QString& path, qint64 size, double days)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return;
    file.close();
    const time_t when = time_t(QDateTime::currentSecsSinceEpoch() - qint64(days * 86400));
    const timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

bool press(QWidget& screen, const QString& name)
{
    auto* button = screen.findChild<QAbstractButton*>(name);
    if (!button)
        return false;
    button->click();
    return true;
}

void scan(QWidget& screen)
{
    if (!press(screen, "startScanButton"))
        return;
    auto* start = screen.findChild<QAbstractButton*>("startScanButton");
    (void)QTest::qWaitFor([start] { return start->isEnabled(); }, kWaitMs);
}

} // namespace

QStringList CleanerStage::states()
{
    return {"scanning", "preview", "review", "cleaned"};
}

void CleanerStage::fillHome(const QString& home, const QString& temporary, FakeProcessRunner& runner)
{
    sparseFile(home + "/.cache/thumbnails/large/3f9a1c.png", 48 * MiB, 3);
    sparseFile(home + "/.cache/steam/shadercache/7d2e.bin", 310 * MiB, 6);
    sparseFile(home + "/.local/state/Launcher/logs/content_log.txt", 12 * MiB, 20);
    // The files are sparse, so du would find them empty: it is answered with their full sizes.
    for (const auto& [application, size] : {std::pair{"Starfall-2.4.AppImage", 740 * MiB}, {"PixelForge", 260 * MiB}}) {
        const QString path = home + "/Applications/" + application;
        sparseFile(QString(application).endsWith(".AppImage") ? path : path + "/pixelforge", size, 30);
        runner.respond("/usr/bin/du", {"-s", "-k", "-x", "--", path},
                       ProcessResult::exited(0, QByteArray::number(size / 1024) + '\t' + path.toUtf8() + '\n'));
    }
    sparseFile(home + "/Projects/engine/build/link.tmp", 30 * MiB, 1);
    sparseFile(temporary + "/render-cache.bin", 96 * MiB, 2);
    sparseFile(home + "/Downloads/GameInstaller.zip", 220 * MiB, 2);
    sparseFile(home + "/Documents/old-render.mov", 80 * MiB, 45);
    sparseFile(home + "/Videos/capture-2026-09.mkv", 700 * MiB, 90);
    sparseFile(home + "/Desktop/Backup.iso", 1600 * MiB, 1);
    sparseFile(home + "/Music/album.flac", 40 * MiB, 1);
}

std::function<void(ContentView&)> CleanerStage::prepare(const QString& state)
{
    if (state != "scanning")
        return {};
    return [](ContentView& content) {
        DiskScanner::Published scanning;
        scanning.progress = 60;
        scanning.message = "Scanning files and media...";
        scanning.scanning = true;
        content.screenServices().scanner->setPublished(scanning);
    };
}

std::function<void(QWidget& screen)> CleanerStage::forState(const QString& state)
{
    if (state == "scanning")
        return [](QWidget&) {};
    if (state == "preview")
        return scan;
    if (state == "review") {
        return [](QWidget& screen) {
            scan(screen);
            press(screen, "reviewHeader");
            // The picture shows the list fully open, not the first frame of its opening.
            if (auto* expansion = screen.findChild<QPropertyAnimation*>("reviewExpansion"))
                expansion->setCurrentTime(expansion->duration());
        };
    }
    if (state == "cleaned") {
        return [](QWidget& screen) {
            scan(screen);
            press(screen, "cleanSelectedButton");
            press(screen, "confirmCleanup");
            auto* view = qobject_cast<CleanerView*>(&screen);
            (void)QTest::qWaitFor([view] { return view && !view->isCleaningSelected(); }, kWaitMs);
        };
    }
    return {};
}
