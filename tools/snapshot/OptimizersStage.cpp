#include "OptimizersStage.h"

#include "FakePlatform.h"
#include "screens/optimizers/BoostResultPopup.h"
#include "screens/optimizers/OptimizersView.h"
#include "screens/optimizers/SystemToolsSection.h"

#include <QAbstractButton>
#include <QTest>
#include <cmath>

namespace {

constexpr int kWaitMs = 5000;

QAbstractButton* button(QWidget& screen, const QString& name)
{
    return screen.findChild<QAbstractButton*>(name);
}

// The DNS cache flushes; the memory purge frees 1.37 GB, or is missing from this system.
void scriptTools(FakePlatform& platform, bool purgeRuns)
{
    platform.runner->respondWith([host = platform.host, purgeRuns](const QString& program, const QStringList&) {
        if (program == "/usr/bin/dscacheutil")
            return ProcessResult::exited(0);
        if (program == "/usr/sbin/purge" && purgeRuns) {
            VirtualMemoryStatistics memory = host->virtualMemory().value_or(VirtualMemoryStatistics{});
            memory.freeCount += quint64(std::ldexp(1.37, 30)) / host->pageSize();
            host->setVirtualMemory(memory);
            return ProcessResult::exited(0);
        }
        return ProcessResult::notStarted();
    });
}

// A game and a chat application, run by a user whose limits allow raising priorities.
void runGame(FakePlatform& platform)
{
    platform.processControl->setPrivileged(true);
    for (const auto& [pid, name] : {std::pair{4242, "Minecraft"}, {4243, "Discord"}}) {
        const RunningApplication app = FakeWorkspace::application(pid, name);
        platform.workspace->add(app);
        platform.processControl->add(pid, app.startTime, 0);
    }
}

} // namespace

QStringList OptimizersStage::states()
{
    return {"boost", "game-mode", "purge"};
}

std::function<void(QWidget& screen)> OptimizersStage::forState(const QString& state, FakePlatform& platform)
{
    if (state == "boost") {
        return [&platform](QWidget& screen) {
            scriptTools(platform, false);
            platform.workspace->add(FakeWorkspace::application(4243, "Discord"));
            QTest::mouseClick(button(screen, "boostButton"), Qt::LeftButton);
            auto* view = static_cast<OptimizersView*>(&screen);
            static_cast<void>(QTest::qWaitFor([view] { return view->findChild<BoostResultPopup*>(); }, kWaitMs));
            static_cast<void>(QTest::qWaitFor(
                [view] { return !view->findChild<BoostResultPopup*>()->isEntering(); }, kWaitMs));
        };
    }
    if (state == "game-mode") {
        return [&platform](QWidget& screen) {
            runGame(platform);
            QTest::mouseClick(button(screen, "gameModeButton"), Qt::LeftButton);
            QTest::qWait(50);
        };
    }
    if (state == "purge") {
        return [&platform](QWidget& screen) {
            scriptTools(platform, true);
            auto* view = static_cast<OptimizersView*>(&screen);
            QTest::mouseClick(button(screen, "tool:Purge RAM"), Qt::LeftButton);
            static_cast<void>(QTest::qWaitFor([view] { return !view->systemTools()->statusMessage().isEmpty(); }, kWaitMs));
            QTest::qWait(50);
            view->ensureWidgetVisible(view->systemTools()->findChild<QWidget*>("toolsReport"), 0, 16);
        };
    }
    return {};
}
