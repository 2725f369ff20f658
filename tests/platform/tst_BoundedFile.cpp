#include "BoundedFile.h"
#include "PlantedFile.h"
#include "TestMain.h"

#include <QTemporaryDir>

class TestBoundedFile : public QObject {
    Q_OBJECT
private slots:
    // What stands at the path decides the answer; nothing waits and nothing past the bound is read.
    void read_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("contents");
        const auto row = [](const char* entry, BoundedFile::Status status, QByteArray contents = {}) {
            QTest::newRow(entry) << QString(entry) << int(status) << contents;
        };
        row("empty file", BoundedFile::Status::Read, "");
        row("file below the bound", BoundedFile::Status::Read, "0123");
        row("file at the bound", BoundedFile::Status::Read, "01234567");
        row("file one byte past the bound", BoundedFile::Status::TooLarge);
        row("nothing", BoundedFile::Status::Missing);
        row("link to nothing", BoundedFile::Status::Missing);
        row("link to a file", BoundedFile::Status::Read, "0123");
        row("named pipe", BoundedFile::Status::NotRegularFile);
        row("link to /dev/zero", BoundedFile::Status::NotRegularFile);
        row("folder", BoundedFile::Status::NotRegularFile);
    }
    void read()
    {
        QFETCH(QString, entry);
        QFETCH(int, status);
        QFETCH(QByteArray, contents);
        constexpr qint64 bound = 8;
        QTemporaryDir folder;
        const QString path = folder.filePath("stored");
        const auto write = [](const QString& at, const QByteArray& bytes) {
            QFile file(at);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        if (entry.startsWith("file") || entry == "empty file")
            QVERIFY(write(path, entry.contains("past") ? QByteArray(bound + 1, 'x') : contents));
        else if (entry == "link to nothing")
            QVERIFY(QFile::link(folder.filePath("gone"), path));
        else if (entry == "link to a file")
            QVERIFY(write(folder.filePath("target"), contents) && QFile::link(folder.filePath("target"), path));
        else if (entry == "named pipe")
            QVERIFY(PlantedFile::plant(path, PlantedFile::Kind::Pipe, bound));
        else if (entry == "link to /dev/zero")
            QVERIFY(PlantedFile::plant(path, PlantedFile::Kind::LinkToZero, bound));
        else if (entry == "folder")
            QVERIFY(PlantedFile::plant(path, PlantedFile::Kind::Folder, bound));

        const BoundedFile::Result result = BoundedFile::read(path, bound);
        QCOMPARE(int(result.status), status);
        QCOMPARE(result.contents, contents);
    }
};

QM_TEST_MAIN(TestBoundedFile)
#include "tst_BoundedFile.moc"
