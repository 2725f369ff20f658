#include "SystemInfoFixture.h"

#include "FakePlatform.h"
#include "FixturePath.h"
#include "linux/LinuxGraphicsDevice.h"
#include "linux/LinuxHostStatistics.h"
#include "linux/LinuxSystemFacts.h"

#include <QDir>
#include <QHash>

std::optional<PlatformServices> SystemInfoFixture::services(FakePlatform& platform, const QString& machine)
{
    const QString root = fixturePath(machine);
    if (machine.isEmpty() || !QDir(root + "/proc").exists())
        return std::nullopt;
    LinuxSystemFacts reader(root);
    FakeSystemFacts::Facts facts;
    facts.operatingSystemName = reader.operatingSystemName();
    facts.processorBrand = reader.processorBrand();
    facts.cores = reader.coreCounts();
    facts.battery = reader.internalBattery();
    facts.volume = VolumeCapacity{volumeTotal, volumeFree};
    platform.systemFacts->setFacts(facts);

    const QHash<QString, qint64> kibibytes = {{"/Library/Caches", 6'291'456}, {"/Library/Logs", 412'000},
                                              {"/Downloads", 21'495'808},     {"/Desktop", 3'145'728},
                                              {"/Documents", 48'234'496},     {"/Music", 12'582'912},
                                              {"/Pictures", 27'262'976}};
    const QString home = platform.homeDirectory();
    platform.runner->respondWith([home, kibibytes](const QString& program, const QStringList& arguments) {
        const QString path = arguments.value(arguments.size() - 1);
        if (program != QStringLiteral("/usr/bin/du") || !path.startsWith(home) ||
            !kibibytes.contains(path.mid(home.size())))
            return ProcessResult::exited(1, {}, "du: cannot access: No such file or directory\n");
        return ProcessResult::exited(0, QByteArray::number(kibibytes.value(path.mid(home.size()))) + "\t" +
                                            path.toUtf8() + "\n");
    });

    PlatformServices services = platform.services();
    services.host = std::make_shared<LinuxHostStatistics>(root + "/proc", 4096);
    services.graphics =
        std::make_shared<LinuxGraphicsDevice>(root + "/sys", QStringList{fixturePath("pci.ids")});
    return services;
}
