#include "FrameLimiterStage.h"

#include "FakePlatform.h"
#include "screens/framelimiter/FrameLimiterView.h"

#include <QAbstractButton>
#include <QTest>

QStringList FrameLimiterStage::states()
{
    return {"limit-144", "preset-failed"};
}

std::function<void(QWidget& screen)> FrameLimiterStage::forState(const QString& state, FakePlatform& platform)
{
    if (state == "limit-144") {
        platform.runner->respond("/usr/bin/defaults", {"read", "-g", "MetalFPSLimit"}, ProcessResult::exited(0, "144\n"));
        return [](QWidget&) {};
    }
    if (state == "preset-failed") {
        return [](QWidget& screen) {
            auto* view = qobject_cast<FrameLimiterView*>(&screen);
            if (!view)
                return;
            view->findChild<QAbstractButton*>("preset:144")->click();
            static_cast<void>(QTest::qWaitFor([view] { return !view->statusMessage().isEmpty(); }));
        };
    }
    return {};
}
