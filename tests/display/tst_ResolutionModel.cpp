#include "FakeDisplayModes.h"
#include "TestMain.h"
#include "screens/display/ResolutionModel.h"

#include <QStringList>

namespace {

DisplayMode mode(quint64 id, qint64 width, qint64 height, double rate, bool hiDPI = false)
{
    return {id, width, height, rate, hiDPI};
}

// The listing of a laptop that also offers 120 Hz and a high-density mode of the same size as a
// plain one.
const QList<DisplayMode> listing = {
    mode(1, 1920, 1080, 60), mode(2, 1920, 1080, 120), mode(3, 1440, 900, 60, true), mode(4, 1440, 900, 60),
    mode(5, 2560, 1440, 60), mode(6, 2560, 1600, 120), mode(7, 1680, 1050, 0), mode(8, 1680, 945, 60),
};

// "label [current] [hidpi]" per option, in list order.
QStringList describe(const QList<DisplayModeOption>& options)
{
    QStringList rows;
    for (const DisplayModeOption& o : options)
        rows.append(o.label() + (o.isCurrent ? " current" : "") + (o.hiDPI ? " hidpi" : ""));
    return rows;
}

} // namespace

class TestResolutionModel : public QObject {
    Q_OBJECT
private slots:
    void orderedOptions_data()
    {
        QTest::addColumn<QList<DisplayMode>>("modes");
        QTest::addColumn<DisplayMode>("current");
        QTest::addColumn<QStringList>("expected");
        const QStringList rest = {"1680 x 945 @ 60Hz", "1680 x 1050", "720 x 450 hidpi"};
        QTest::newRow("the fastest mode of a size survives; the size in use is marked")
            << listing << mode(5, 2560, 1440, 60)
            << QStringList{"2560 x 1600 @ 120Hz", "2560 x 1440 @ 60Hz current", "1920 x 1080 @ 120Hz"} + rest;
        QTest::newRow("the mode in use wins its size over a faster one")
            << listing << mode(1, 1920, 1080, 60)
            << QStringList{"2560 x 1600 @ 120Hz", "2560 x 1440 @ 60Hz", "1920 x 1080 @ 60Hz current"} + rest;
        QTest::newRow("a mode in use that is not listed marks its size only")
            << listing << mode(99, 1920, 1080, 75)
            << QStringList{"2560 x 1600 @ 120Hz", "2560 x 1440 @ 60Hz", "1920 x 1080 @ 120Hz current"} + rest;
        QTest::newRow("rates are truncated, a rate of zero comes last within its width")
            << QList<DisplayMode>{mode(1, 1920, 1200, 0), mode(2, 1920, 1080, 59.94)} << mode(1, 1920, 1200, 0)
            << QStringList{"1920 x 1080 @ 59Hz", "1920 x 1200 current"};
    }
    void orderedOptions()
    {
        QFETCH(QList<DisplayMode>, modes);
        QFETCH(DisplayMode, current);
        QFETCH(QStringList, expected);
        QCOMPARE(describe(ResolutionModel::orderedOptions(modes, current)), expected);
    }

    void listingsNeverShareIdentities()
    {
        const auto first = ResolutionModel::orderedOptions(listing, listing[0]);
        const auto second = ResolutionModel::orderedOptions(listing, listing[0]);
        QCOMPARE(first.size(), second.size());
        QVERIFY(first[0].mode == second[0].mode);
        QVERIFY(!(first[0] == second[0]));
    }

    void largestMode_data()
    {
        QTest::addColumn<QList<DisplayMode>>("modes");
        QTest::addColumn<quint64>("expected");
        QTest::newRow("equal areas keep the first listed")
            << QList<DisplayMode>{mode(1, 1280, 800, 60), mode(2, 1920, 1200, 60), mode(3, 2400, 960, 60)} << quint64(2);
        QTest::newRow("rate and density play no part")
            << QList<DisplayMode>{mode(1, 1440, 900, 120, true), mode(2, 2880, 1800, 30)} << quint64(2);
        QTest::newRow("none") << QList<DisplayMode>{} << quint64(0);
    }
    void largestMode()
    {
        QFETCH(QList<DisplayMode>, modes);
        QFETCH(quint64, expected);
        QCOMPARE(ResolutionModel::largestMode(modes).value_or(DisplayMode{}).id, expected);
    }

    void loadModesKeepsTheListWhenTheDisplayAnswersNothing()
    {
        auto display = std::make_shared<FakeDisplayModes>();
        ResolutionModel model(display);
        model.loadModes();
        QVERIFY(!model.currentMode());
        QVERIFY(model.allModes().isEmpty());

        display->modes = listing;
        display->current = listing[4];
        model.loadModes();
        QCOMPARE(model.allModes().size(), 6);
        const QUuid first = model.allModes().first().id;

        display->current.reset();
        model.loadModes();
        QCOMPARE(model.allModes().first().id, first);
        QCOMPARE(model.currentMode()->width, 2560);

        display->current = listing[4];
        display->modes = QList<DisplayMode>{};
        model.loadModes();
        QVERIFY(model.allModes().isEmpty());
        QVERIFY(model.currentMode());
    }

    void switchOutcomes_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        QTest::addColumn<quint64>("current");
        QTest::newRow("change") << false << 0 << "Resolution changed to 1440 x 900" << quint64(3);
        QTest::newRow("failed change") << false << 7 << "Failed to change resolution" << quint64(5);
        QTest::newRow("restore") << true << 0 << "Restored default resolution" << quint64(6);
        QTest::newRow("failed restore") << true << -1 << "Failed to restore default" << quint64(5);
    }
    void switchOutcomes()
    {
        QFETCH(bool, restore);
        QFETCH(int, result);
        QFETCH(QString, message);
        QFETCH(quint64, current);
        auto display = std::make_shared<FakeDisplayModes>();
        display->modes = listing;
        display->current = listing[4];
        display->switchResult = result;
        ResolutionModel model(display);
        model.loadModes();
        const DisplayModeOption hiDPI = DisplayModeOption::make(mode(3, 2880, 1800, 60, true), false);
        if (restore)
            model.restoreDefaultResolution();
        else
            model.selectMode(hiDPI);
        QVERIFY(model.isApplying());
        QVERIFY(model.statusMessage().isEmpty());
        QTRY_VERIFY(!model.isApplying());
        QCOMPARE(model.statusMessage(), message);
        QCOMPARE(ResolutionModel::isFailure(model.statusMessage()), result != 0);
        QCOMPARE(model.currentMode()->mode.id, current);
    }

    void restoreWithoutModesDoesNothing()
    {
        auto display = std::make_shared<FakeDisplayModes>();
        display->modes = QList<DisplayMode>{};
        display->current = listing[0];
        ResolutionModel model(display);
        model.loadModes();
        model.restoreDefaultResolution();
        QVERIFY(!model.isApplying());
        QVERIFY(model.statusMessage().isEmpty());
        QVERIFY(display->switchedModes().isEmpty());
    }

    void aResultAfterTheModelIsGoneIsDropped()
    {
        auto display = std::make_shared<FakeDisplayModes>();
        display->modes = listing;
        display->current = listing[0];
        display->holdSwitches = true;
        auto model = std::make_unique<ResolutionModel>(display);
        model->loadModes();
        model->selectMode(model->allModes().first());
        model.reset();
        display->release();
        QTRY_COMPARE(display->switchedModes().size(), 1);
        QTest::qWait(50);
    }
};

QM_TEST_MAIN(TestResolutionModel)
#include "tst_ResolutionModel.moc"
