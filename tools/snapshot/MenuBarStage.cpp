#include "MenuBarStage.h"

#include "FakePlatform.h"
#include "MangoHudFixture.h"
#include "MonitorReadings.h"
#include "WorkQueues.h"
#include "app/ContentView.h"

#include <QTest>

namespace {

struct Preview {
    double cpu;
    double ram;
    qint64 gpu;
    QString latency;
    std::optional<qint64> frameLimit;
};

std::optional<Preview> preview(const QString& state)
{
    if (state == "hot")
        return Preview{92.6, 87.4, 88, "142.7", 144};
    if (state == "cool")
        return Preview{23.4, 58.1, 35, "23.9", std::nullopt};
    return std::nullopt;
}

} // namespace

QStringList MenuBarStage::states()
{
    return {"hot", "cool"};
}

std::function<void(ContentView&)> MenuBarStage::forState(const QString& state, FakePlatform& platform)
{
    const std::optional<Preview> wanted = preview(state);
    if (!wanted)
        return {};
    platform.graphics->setDevice("AMD Radeon Pro 5500M");
    if (wanted->frameLimit)
        MangoHudFixture::writeLimit(platform, *wanted->frameLimit);
    return [&platform, readings = *wanted](ContentView& content) {
        SystemMonitor& monitor = content.monitor();
        // Sampling runs before the screen is shown, so showing it takes no sample of its own that
        // would see no CPU time pass.
        monitor.setSampleInterval(3'600'000);
        monitor.startMonitoring();
        WorkQueues::drain();
        QCoreApplication::processEvents();
        MonitorReadings feed(monitor, *platform.host, *platform.graphics, *platform.runner);
        feed.setLoads(readings.cpu, readings.ram);
        feed.setGPU(readings.gpu);
        feed.setLatency(readings.latency);
        content.optimizer().refreshFrameLimit();
        static_cast<void>(QTest::qWaitFor(
            [&] { return content.optimizer().frameLimitValue() == readings.frameLimit.value_or(0); }));
    };
}
