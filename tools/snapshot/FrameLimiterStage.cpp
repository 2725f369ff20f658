#include "FrameLimiterStage.h"

#include "FakePlatform.h"
#include "MangoHudFixture.h"
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
        MangoHudFixture::writeLimit(platform, 144);
        return [](QWidget&) {};
    }
    if (state == "preset-failed") {
        MangoHudFixture::install(platform, false);
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
