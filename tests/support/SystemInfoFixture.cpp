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

    // Folders of the home by their place below it, installed software by its absolute path.
    const QHash<QString, qint64> kibibytes = {{"/usr", 9'437'184},        {"/opt", 2'306'867},
                                              {"/.cache", 6'291'456},     {"/.local/state", 412'000},
                                              {"/Downloads", 21'495'808}, {"/Desktop", 3'145'728},
                                              {"/Documents", 48'234'496}, {"/Music", 12'582'912},
                                              {"/Pictures", 27'262'976}};
    const QString home = platform.homeDirectory();
    platform.runner->respondWith([home, kibibytes](const QString& program, const QStringList& arguments) {
        const QString path = arguments.value(arguments.size() - 1);
        const QString key = path.startsWith(home + "/") ? path.mid(home.size()) : path;
        if (program != QStringLiteral("/usr/bin/du") || !kibibytes.contains(key))
            return ProcessResult::exited(1, {}, "du: cannot access: No such file or directory\n");
        return ProcessResult::exited(0, QByteArray::number(kibibytes.value(key)) + "\t" + path.toUtf8() + "\n");
    });

    PlatformServices services = platform.services();
    services.host = std::make_shared<LinuxHostStatistics>(root + "/proc", 4096);
    services.graphics =
        std::make_shared<LinuxGraphicsDevice>(root + "/sys", QStringList{fixturePath("pci.ids")});
    return services;
}
