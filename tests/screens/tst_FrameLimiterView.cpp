#include "OptimizerFixture.h"
#include "TestMain.h"
#include "linux/MangoHudOverlay.h"
#include "screens/framelimiter/FrameLimiterView.h"
#include "screens/framelimiter/PresetCell.h"
#include "style/Color.h"
#include "style/GradientButton.h"
#include "style/TextLabel.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <thread>

Q_DECLARE_METATYPE(std::optional<qint64>)

namespace {

const QString kDefaults = QStringLiteral("/usr/bin/defaults");

// What a file holds.
QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList activeCells(FrameLimiterView& view)
{
    QStringList active;
    for (PresetCell* cell : view.findChildren<PresetCell*>()) {
        if (cell->isActive())
            active.append(cell->text());
    }
    return active;
}

} // namespace

class TestFrameLimiterView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<OptimizerFixture> m_fixture;

    std::unique_ptr<FrameLimiterView> makeView()
    {
        auto view = std::make_unique<FrameLimiterView>(m_fixture->optimizer);
        view->resize(1000, 650);
        view->show();
        OptimizerFixture::settle();
        return view;
    }
    // The optimizer publishes the limit the defaults tool reads back.
    void storeLimit(std::optional<qint64> limit)
    {
        m_fixture->runner.respond(kDefaults, {"read", "-g", "MetalFPSLimit"},
                                  limit ? ProcessResult::exited(0, QByteArray::number(*limit) + "\n")
                                        : ProcessResult::exited(1));
    }

private slots:
    void init() { m_fixture = std::make_unique<OptimizerFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void parseFPS_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<qint64>>("fps");
        const std::optional<qint64> refused;
        QTest::newRow("plain") << "60" << std::optional<qint64>(60);
        QTest::newRow("blanks around") << " 60\t" << std::optional<qint64>(60);
        QTest::newRow("plus sign") << "+60" << std::optional<qint64>(60);
        QTest::newRow("lowest") << "1" << std::optional<qint64>(1);
        QTest::newRow("highest") << "1000" << std::optional<qint64>(1000);
        QTest::newRow("leading zeros") << "0090" << std::optional<qint64>(90);
        QTest::newRow("zero") << "0" << refused;
        QTest::newRow("negative") << "-5" << refused;
        QTest::newRow("above the range") << "1001" << refused;
        QTest::newRow("trailing letter") << "12a" << refused;
        QTest::newRow("blank inside") << "6 0" << refused;
        QTest::newRow("letters") << "abc" << refused;
        QTest::newRow("2^63") << "9223372036854775808" << refused;
        QTest::newRow("blanks only") << "   " << refused;
        QTest::newRow("line break kept") << "60\n" << refused;
        QTest::newRow("two signs") << "+-60" << refused;
        QTest::newRow("other digits") << QString::fromUtf8("٦٠") << refused;
    }
    void parseFPS()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<qint64>, fps);
        QCOMPARE(FrameLimiterView::parseFPS(text), fps);
    }

    void currentLimit_data()
    {
        QTest::addColumn<std::optional<qint64>>("stored");
        QTest::addColumn<QStringList>("highlighted");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("active");
        QTest::newRow("none") << std::optional<qint64>() << QStringList{"Off"} << "Unlimited" << false;
        QTest::newRow("a preset") << std::optional<qint64>(144) << QStringList{"144"} << "144 FPS" << true;
        QTest::newRow("between presets") << std::optional<qint64>(100) << QStringList{} << "100 FPS" << true;
    }
    void currentLimit()
    {
        QFETCH(std::optional<qint64>, stored);
        QFETCH(QStringList, highlighted);
        QFETCH(QString, value);
        QFETCH(bool, active);
        storeLimit(stored);
        auto view = makeView();

        QCOMPARE(activeCells(*view), highlighted);
        auto* current = view->findChild<TextLabel*>("currentLimit");
        QCOMPARE(current->text(), value);
        QCOMPARE(current->color(), active ? Color::neonCyan() : Color::white50());
        QCOMPARE(view->findChild<QWidget*>("activeBadge")->isVisibleTo(view.get()), active);
        QCOMPARE(view->findChild<QPushButton*>("removeLimitButton")->isVisibleTo(view.get()), active);
    }

    // What each action reports, in which colour, and whether the typed text stays.
    void outcomes_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("fieldAfter");
        QTest::addColumn<qint64>("limitAfter");

        const ProcessResult ok = ProcessResult::exited(0);
        const ProcessResult refused = ProcessResult::exited(1);
        const ProcessResult missing = ProcessResult::notStarted("No such file or directory");
        QTest::newRow("custom set") << "applyButton" << " 90 " << ok << "FPS limited to 90" << true << "" << qint64(90);
        QTest::newRow("custom refused by the tool")
            << "applyButton" << "90" << refused << "Failed to set frame limit" << false << "90" << qint64(0);
        QTest::newRow("custom invalid") << "applyButton" << "6 0" << ok << FrameLimiterView::invalidMessage << false
                                        << "6 0" << qint64(0);
        QTest::newRow("custom of blanks") << "applyButton" << "  " << ok << FrameLimiterView::invalidMessage << false
                                          << "  " << qint64(0);
        QTest::newRow("preset keeps the field")
            << "preset:144" << "77" << ok << "FPS limited to 144" << true << "77" << qint64(144);
        QTest::newRow("preset without the tool")
            << "preset:144" << "" << missing << "Failed to set frame limit: No such file or directory" << false << ""
            << qint64(0);
        QTest::newRow("off with no limit") << "preset:Off" << "5" << refused << "Failed to remove frame limit" << false
                                           << "5" << qint64(0);
    }
    void outcomes()
    {
        QFETCH(QString, press);
        QFETCH(QString, typed);
        QFETCH(ProcessResult, tool);
        QFETCH(QString, message);
        QFETCH(bool, success);
        QFETCH(QString, fieldAfter);
        QFETCH(qint64, limitAfter);
        storeLimit(std::nullopt);
        m_fixture->runner.respond(kDefaults, {"write", "-g", "MetalFPSLimit", "-int", "90"}, tool);
        m_fixture->runner.respond(kDefaults, {"write", "-g", "MetalFPSLimit", "-int", "144"}, tool);
        m_fixture->runner.respond(kDefaults, {"delete", "-g", "MetalFPSLimit"}, tool);
        auto view = makeView();
        view->findChild<QLineEdit*>("customFPSField")->setText(typed);
        const int runsBefore = int(m_fixture->runner.calls().size());

        QTest::mouseClick(view->findChild<QAbstractButton*>(press), Qt::LeftButton);
        QTRY_COMPARE(view->statusMessage(), message);
        QCOMPARE(view->statusColor(), success ? Color::neonGreen() : Color::onCard(Color::systemRed()));
        QCOMPARE(view->findChild<TextLabel*>("statusLine")->text(), message);
        QCOMPARE(view->findChild<QLineEdit*>("customFPSField")->text(), fieldAfter);
        QCOMPARE(m_fixture->optimizer.frameLimitValue(), limitAfter);
        if (message == FrameLimiterView::invalidMessage)
            QCOMPARE(m_fixture->runner.calls().size(), runsBefore);
    }

    // Over MangoHud's files in the test's home: once our limit is removed, the user's own limit,
    // which ours had replaced, holds again, and the screen says so, also when shown again.
    void theUsersLimitHoldsAgainOnceOursIsRemoved()
    {
        const QString folder = MangoHudOverlay::standardConfigFolder();
        const auto cleanUp = qScopeGuard([&] { QDir(folder).removeRecursively(); });
        const QString globalPath = folder + '/' + MangoHudOverlay::globalFileName;
        const QByteArray theirs = "gpu_stats\nfps_limit=75,144\n";
        QVERIFY(QDir().mkpath(folder));
        QFile file(globalPath);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(theirs) == theirs.size());
        file.close();
        MangoHudOverlay overlay({folder, [] { return true; }, {}});
        SystemOptimizer optimizer({m_fixture->workspace, m_fixture->processes, m_fixture->runner, m_fixture->scripts,
                                   m_fixture->host, overlay, m_fixture->backends});
        const auto show = [&optimizer] {
            auto view = std::make_unique<FrameLimiterView>(optimizer);
            view->resize(1000, 650);
            view->show();
            OptimizerFixture::settle();
            return view;
        };
        const auto check = [&](FrameLimiterView& view) {
            QCOMPARE(view.findChild<TextLabel*>("currentLimit")->text(), "75 FPS");
            QCOMPARE(activeCells(view), QStringList());
            QVERIFY(view.findChild<QWidget*>("activeBadge")->isVisibleTo(&view));
            QCOMPARE(contents(globalPath), theirs);
        };

        auto view = show();
        for (const char* press : {"preset:144", "removeLimitButton"}) {
            const QString earlier = view->statusMessage();
            QTest::mouseClick(view->findChild<QAbstractButton*>(press), Qt::LeftButton);
            QTRY_VERIFY(view->statusMessage() != earlier);
            OptimizerFixture::settle();
        }
        QCOMPARE(view->statusMessage(), "Frame limit removed");
        check(*view);
        view.reset();
        check(*show());
    }

    void applyNeedsText()
    {
        auto view = makeView();
        auto* apply = view->findChild<GradientButton*>("applyButton");
        auto* status = view->findChild<TextLabel*>("statusLine");
        QVERIFY(!apply->isEnabled());
        QVERIFY(!status->isVisibleTo(view.get()));
        view->findChild<QLineEdit*>("customFPSField")->setText(" ");
        QVERIFY(apply->isEnabled());
    }

    // A completion may come on a worker thread: the screen changes only on the main thread, and
    // not at all once it is gone.
    void outcomesFromAnotherThread()
    {
        auto view = makeView();
        std::thread([handler = view->outcomeHandler(false)] { handler(true, "FPS limited to 60"); }).join();
        QVERIFY(view->statusMessage().isEmpty());
        QTRY_COMPARE(view->statusMessage(), "FPS limited to 60");

        const auto late = view->outcomeHandler(true);
        view.reset();
        std::thread([late] { late(true, "FPS limited to 30"); }).join();
        QCoreApplication::processEvents();
    }
};

QM_TEST_MAIN(TestFrameLimiterView)
#include "tst_FrameLimiterView.moc"
