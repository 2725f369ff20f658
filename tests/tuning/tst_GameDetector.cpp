#include "FakeWorkspace.h"
#include "TestMain.h"
#include "tuning/GameDetector.h"

using Policy = RunningApplication::ActivationPolicy;

class TestGameDetector : public QObject {
    Q_OBJECT
private slots:
    void keywordTable()
    {
        const QStringList& keywords = GameDetector::gameKeywords();
        QCOMPARE(keywords.size(), 30);
        QCOMPARE(keywords.first(), "steam");
        QCOMPARE(keywords.at(15), "game");
        QCOMPARE(keywords.at(17), "world of warcraft");
        QCOMPARE(keywords.last(), "rockstargames");
        for (const QString& keyword : keywords)
            QCOMPARE(keyword, keyword.toLower());
    }

    void gameTest_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<bool>("game");

        QTest::newRow("keyword in the name") << "Steam" << "" << true;
        QTest::newRow("any letter case") << "CALL OF DUTY" << "" << true;
        QTest::newRow("keyword inside a word") << "Endgame Studio" << "" << true;
        QTest::newRow("unity in the bundle identifier") << "Player" << "com.unity3d.player" << true;
        QTest::newRow("launcher in the bundle identifier") << "Hub" << "com.acme.launcher" << true;
        QTest::newRow("name and bundle joined by one blank") << "Red" << "dead.redemption" << true;
        QTest::newRow("words without the blank") << "Callofduty" << "" << false;
        QTest::newRow("ordinary application") << "Notes" << "com.apple.Notes" << false;
        QTest::newRow("no bundle identifier") << "Calculator" << "" << false;
        QTest::newRow("dotted keyword") << "Battle.net" << "" << true;
        QTest::newRow("dot is literal") << "Battlexnet" << "" << false;
    }

    void gameTest()
    {
        QFETCH(QString, name);
        QFETCH(QString, bundle);
        QFETCH(bool, game);
        QCOMPARE(GameDetector::isGame(name, bundle), game);
    }

    void detection_data()
    {
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<QList<qint32>>("expected");

        const auto app = [](qint32 pid, const QString& name, const QString& bundle = {},
                            Policy policy = Policy::Regular) {
            return FakeWorkspace::application(pid, name, bundle, policy);
        };
        RunningApplication ended = app(9, "Minecraft", "", Policy::Regular);
        ended.isTerminated = true;

        QTest::newRow("ordered by name without regard to case")
            << QList{app(3, "Steam", "com.valvesoftware.steam"), app(4, "apex legends"), app(5, "Minecraft")}
            << QList<qint32>{4, 5, 3};
        QTest::newRow("equal names keep the workspace order")
            << QList{app(7, "steam"), app(2, "STEAM"), app(5, "Steam")} << QList<qint32>{7, 2, 5};
        QTest::newRow("only regular, running, named applications with a process")
            << QList{app(10, "Game Helper", "", Policy::Accessory), app(11, "gamed", "", Policy::Prohibited), ended,
                     app(12, "", "com.acme.game"), app(0, "Roblox"), app(13, "Roblox")}
               << QList<qint32>{13};
        QTest::newRow("non-games left out") << QList{app(20, "Safari"), app(21, "Terminal")} << QList<qint32>{};
    }

    void detection()
    {
        QFETCH(QList<RunningApplication>, running);
        QFETCH(QList<qint32>, expected);
        QList<qint32> found;
        for (const RunningAppInfo& game : GameDetector::gamesAmong(running))
            found.append(game.id);
        QCOMPARE(found, expected);
    }

    void detectionCarriesNameAndBundle()
    {
        const auto games = GameDetector::gamesAmong(
            {FakeWorkspace::application(8, "Steam", "com.valvesoftware.steam"), FakeWorkspace::application(9, "Game")});
        QCOMPARE(games.size(), 2);
        QCOMPARE(games[0], (RunningAppInfo{9, "Game", ""}));
        QCOMPARE(games[1], (RunningAppInfo{8, "Steam", "com.valvesoftware.steam"}));
    }
};

QM_TEST_MAIN(TestGameDetector)
#include "tst_GameDetector.moc"
