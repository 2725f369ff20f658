#include "TestMain.h"

#include <QDirIterator>
#include <QRegularExpression>

// Each layer of the sources includes only headers of its own layer and the layers below it:
// platform, then the services, then style, then the screens, then the application.
class TestLayering : public QObject {
    Q_OBJECT
private slots:
    void includesPointDownward_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QStringList>("forbidden");
        const QStringList services{"storage", "telemetry", "tuning", "cleanup", "assistant"};
        QTest::newRow("platform") << QStringList{"platform"}
                                  << services + QStringList{"style", "screens", "app"};
        QTest::newRow("services") << services << QStringList{"style", "screens", "app"};
        QTest::newRow("style") << QStringList{"style"} << QStringList{"screens", "app"};
        QTest::newRow("screens") << QStringList{"screens"} << QStringList{"app"};
    }
    void includesPointDownward()
    {
        QFETCH(QStringList, folders);
        QFETCH(QStringList, forbidden);
        const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*\"(%1)/[^\"]*\"")
                                             .arg(forbidden.join('|')),
                                         QRegularExpression::MultilineOption);
        const QString sources = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../src/");
        QStringList offending;
        int files = 0;
        for (const QString& folder : folders) {
            QDirIterator it(sources + folder, {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile file(it.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                ++files;
                const QString text = QString::fromUtf8(file.readAll());
                for (auto match = include.globalMatch(text); match.hasNext();)
                    offending << file.fileName().mid(sources.size()) + ": " + match.next().captured(0).trimmed();
            }
        }
        QVERIFY(files > 0);
        QVERIFY2(offending.isEmpty(), qPrintable(offending.join('\n')));
    }
};

QM_TEST_MAIN(TestLayering)
#include "tst_Layering.moc"
