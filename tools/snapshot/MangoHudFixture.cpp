#include "MangoHudFixture.h"

#include "FakePlatform.h"
#include "linux/MangoHudOverlay.h"

#include <QDir>
#include <QSaveFile>

namespace {

QString folder(const FakePlatform& platform)
{
    return platform.homeDirectory() + "/.config/MangoHud";
}

} // namespace

void MangoHudFixture::install(FakePlatform& platform, bool installed)
{
    platform.gameOverlay = std::make_shared<MangoHudOverlay>(
        MangoHudOverlay::Options{folder(platform), [installed] { return installed; }, {}});
}

void MangoHudFixture::writeLimit(const FakePlatform& platform, qint64 limit)
{
    QDir().mkpath(folder(platform));
    QSaveFile file(folder(platform) + '/' + MangoHudOverlay::globalFileName);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("# my settings\ngpu_stats\nfps_limit=" + QByteArray::number(limit) + "\n");
        file.commit();
    }
}
