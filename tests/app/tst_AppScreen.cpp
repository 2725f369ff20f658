#include "TestMain.h"
#include "app/AppScreen.h"

class TestAppScreen : public QObject {
    Q_OBJECT
private slots:
    void fromRawValue_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<int>("expected"); // -1: none
        QTest::newRow("Frame Limiter") << "Frame Limiter" << int(AppScreen::frameLimiter);
        QTest::newRow("lower case") << "frame limiter" << -1;
        QTest::newRow("no space") << "FrameLimiter" << -1;
        QTest::newRow("trailing space") << "Settings " << -1;
        QTest::newRow("case name, not title") << "aiConnect" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("welcome is no screen") << "welcome" << -1;
    }
    void fromRawValue()
    {
        QFETCH(QString, raw);
        QFETCH(int, expected);
        const auto screen = AppScreens::fromRawValue(raw);
        QCOMPARE(screen ? int(*screen) : -1, expected);
    }

    void rawValueRoundTrips()
    {
        for (const AppScreen screen : AppScreens::allCases())
            QCOMPARE(AppScreens::fromRawValue(AppScreens::rawValue(screen)), std::optional<AppScreen>(screen));
    }
};

QM_TEST_MAIN(TestAppScreen)
#include "tst_AppScreen.moc"
