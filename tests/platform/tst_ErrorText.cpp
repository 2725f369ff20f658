#include "ErrorText.h"
#include "TestMain.h"

class TestErrorText : public QObject {
    Q_OBJECT

private slots:
    void continuingSentence_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("continued");
        QTest::newRow("a system text") << "Permission denied" << "permission denied";
        QTest::newRow("only the first letter") << "No space Left" << "no space Left";
        QTest::newRow("a letter beyond ASCII") << QString("Échec") << QString("échec");
        QTest::newRow("nothing to lower") << "" << "";
    }
    void continuingSentence()
    {
        QFETCH(QString, reason);
        QFETCH(QString, continued);
        QCOMPARE(ErrorText::continuingSentence(reason), continued);
    }
};

QM_TEST_MAIN(TestErrorText)
#include "tst_ErrorText.moc"
