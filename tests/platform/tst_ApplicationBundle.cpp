#include "ApplicationBundle.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>

class TestApplicationBundle : public QObject {
    Q_OBJECT
private slots:
    void identifier_data()
    {
        QTest::addColumn<QByteArray>("plist");
        QTest::addColumn<QString>("expected");
        const QByteArray head = R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)";
        const QByteArray tail = "</dict></plist>";
        QTest::newRow("identifier among other keys")
            << head + "<key>CFBundleName</key><string>Game</string>"
                      "<key>CFBundleIdentifier</key><string>com.example.game</string>" + tail
            << "com.example.game";
        QTest::newRow("key text as a value is not the key")
            << head + "<key>Comment</key><string>CFBundleIdentifier</string>" + tail << "";
        QTest::newRow("identifier key without a string") << head + "<key>CFBundleIdentifier</key><true/>" + tail << "";
        QTest::newRow("not XML") << QByteArray("bplist00\x01\x02", 10) << "";
        QTest::newRow("no list at all") << QByteArray() << "";
    }

    void identifier()
    {
        QFETCH(QByteArray, plist);
        QFETCH(QString, expected);
        QTemporaryDir root;
        const QString bundle = root.filePath("Game.app");
        QVERIFY(QDir().mkpath(bundle + "/Contents"));
        if (!plist.isEmpty()) {
            QFile file(bundle + "/Contents/Info.plist");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(plist);
        }
        QCOMPARE(ApplicationBundle::identifier(bundle).value_or(QString()), expected);
    }
};

QM_TEST_MAIN(TestApplicationBundle)
#include "tst_ApplicationBundle.moc"
