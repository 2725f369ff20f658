#include "FakeFileRevealer.h"
#include "FakeProcessRunner.h"
#include "ScratchHome.h"
#include "ScratchTrash.h"
#include "TestMain.h"
#include "cleanup/DiskScanner.h"

#include <QStandardPaths>
#include <algorithm>
#include <unistd.h>

namespace {

constexpr qint64 MiB = ScratchHome::kMiB;

QString trashFiles()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files";
}

QStringList trashed()
{
    return QDir(trashFiles()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
}

void emptyTrash()
{
    QDir(QFileInfo(trashFiles()).absolutePath()).removeRecursively();
}

TrashOutcome moveAndWait(DiskScanner& scanner, const QStringList& paths)
{
    int calls = 0;
    TrashOutcome outcome;
    scanner.moveToTrash(paths, [&](const TrashOutcome& result) {
        ++calls;
        outcome = result;
    });
    if (!QTest::qWaitFor([&] { return calls > 0; }))
        qFatal("the move to the Trash never completed");
    QTest::qWait(20);
    if (calls != 1)
        qFatal("the completion ran %d times", calls);
    return outcome;
}

bool scanAndWait(DiskScanner& scanner)
{
    scanner.startScan();
    return QTest::qWaitFor([&] { return !scanner.isScanning(); });
}

QStringList paths(const QList<FileItem>& items)
{
    QStringList result;
    for (const FileItem& item : items)
        result << item.path;
    return result;
}

} // namespace

class TestDiskScanner : public QObject {
    Q_OBJECT
private slots:
    void init() { emptyTrash(); }

    void scanPublishesEachPhaseInOrder()
    {
        ScratchHome scratch;
        const QString big = scratch.file("home/Documents/big.bin", 20 * MiB, 90);
        const QString old = scratch.file("home/Documents/old.bin", 2 * MiB, 30);
        QVERIFY(QDir().mkpath(scratch.at("Applications/Editor.app")));
        auto runner = std::make_shared<FakeProcessRunner>();
        runner->respond("/usr/bin/du", ProcessResult::exited(0, "204800\tEditor.app\n"));
        ScanEnvironment env = scratch.environment();
        env.applicationRoots = {scratch.at("Applications")};
        DiskScanner scanner(env, runner, scratchTrash(), nullptr);
        QList<std::pair<double, QString>> seen;
        connect(&scanner, &DiskScanner::changed, this, [&] {
            const std::pair<double, QString> now{scanner.scanProgress(), scanner.scanMessage()};
            if (seen.isEmpty() || seen.last() != now)
                seen.append(now);
        });

        scanner.startScan();
        QVERIFY(scanner.isScanning());
        // A second press while the scan runs starts nothing.
        scanner.startScan();
        QTRY_VERIFY(!scanner.isScanning());

        // The one folder of the home walked carries the bar to where the walk's phases end.
        const QList<std::pair<double, QString>> expected{{0, ""},
                                                         {10, "Scanning applications..."},
                                                         {60, "Scanning applications..."},
                                                         {60, "Calculating folder sizes..."},
                                                         {60, "Scanning files and media..."},
                                                         {90, "Analyzing recommendations..."},
                                                         {100, "Scan complete!"}};
        QCOMPARE(seen, expected);
        QCOMPARE(runner->commandLines(), QStringList{"/usr/bin/du -s -k -x -- " + scratch.at("Applications/Editor.app")});
        QCOMPARE(scanner.heavyApps().size(), 1);
        QCOMPARE(scanner.heavyApps().first().name, QString("Editor"));
        QCOMPARE(paths(scanner.heavyFiles()), QStringList{big});
        QCOMPARE(paths(scanner.recommendations()), (QStringList{big, old}));
        QCOMPARE(scanner.recommendations().first().reasons, QStringList{"Not accessed in 90 days"});

        // A rescan finds the same files under new identifiers, and starts from progress 0 with
        // the last message kept.
        const QUuid firstId = scanner.heavyFiles().first().id;
        scanner.startScan();
        QCOMPARE(scanner.scanProgress(), 0.0);
        QCOMPARE(scanner.scanMessage(), QString("Scan complete!"));
        QTRY_VERIFY(!scanner.isScanning());
        QCOMPARE(paths(scanner.heavyFiles()), QStringList{big});
        QVERIFY(scanner.heavyFiles().first().id != firstId);
        QCOMPARE(runner->calls().size(), 2);
    }

    // The bar moves while the home folder is walked, after each of its entries, before the lists
    // of the walk's phases are published, and never backwards.
    void progressMovesDuringTheWalk_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QList<double>>("during");
        QTest::newRow("empty home") << 0 << QList<double>{};
        QTest::newRow("one folder") << 1 << QList<double>{60};
        QTest::newRow("four entries") << 4 << QList<double>{22, 35, 47, 60};
        QTest::newRow("a hundred entries move it by whole percents") << 100 << QList<double>{11, 12, 13};
    }
    void progressMovesDuringTheWalk()
    {
        QFETCH(int, entries);
        QFETCH(QList<double>, during);
        ScratchHome scratch;
        for (int i = 0; i < entries; ++i)
            scratch.file(QString(i % 2 ? "home/folder%1/a.bin" : "home/file%1.bin").arg(i), 2 * MiB, 30);
        DiskScanner scanner(scratch.environment(), std::make_shared<FakeProcessRunner>(), nullptr, nullptr);
        QList<double> walked;
        QList<double> all;
        connect(&scanner, &DiskScanner::changed, this, [&] {
            if (all.isEmpty() || all.last() != scanner.scanProgress())
                all.append(scanner.scanProgress());
            if (scanner.scanMessage() == "Scanning applications..." && scanner.heavyFiles().isEmpty() &&
                scanner.recommendations().isEmpty() && scanner.scanProgress() > 10 &&
                (walked.isEmpty() || walked.last() != scanner.scanProgress()))
                walked.append(scanner.scanProgress());
        });
        QVERIFY(scanAndWait(scanner));
        QCOMPARE(walked.mid(0, during.size()), during);
        QCOMPARE(walked.isEmpty() ? 60.0 : walked.last(), 60.0);
        QVERIFY(std::is_sorted(all.begin(), all.end()));
        QCOMPARE(all.last(), 100.0);
        QCOMPARE(scanner.recommendations().size(), entries);
    }

    void movedItemsLeaveTheLists()
    {
        ScratchHome scratch;
        const QString big = scratch.file("home/Documents/big.bin", 20 * MiB, 90);
        const QString old = scratch.file("home/Documents/old.bin", 2 * MiB, 30);
        DiskScanner scanner(scratch.environment(), std::make_shared<FakeProcessRunner>(), scratchTrash(), nullptr);
        QVERIFY(scanAndWait(scanner));

        const TrashOutcome outcome = moveAndWait(scanner, {big, old});
        QCOMPARE(outcome, (TrashOutcome{2, 0, 22 * MiB, {big, old}}));
        QVERIFY(scanner.heavyFiles().isEmpty());
        QVERIFY(scanner.recommendations().isEmpty());
        QCOMPARE(trashed(), (QStringList{"big.bin", "old.bin"}));
    }

    void fileTurnedIntoLinkAfterTheScanIsRefused()
    {
        ScratchHome scratch;
        const QString old = scratch.file("home/Documents/old.bin", 2 * MiB, 30);
        const QString precious = scratch.file("outside/precious.bin", 2 * MiB, 30);
        DiskScanner scanner(scratch.environment(), std::make_shared<FakeProcessRunner>(), scratchTrash(), nullptr);
        QVERIFY(scanAndWait(scanner));
        QCOMPARE(paths(scanner.recommendations()), QStringList{old});

        QVERIFY(QFile::remove(old));
        QVERIFY(QFile::link(precious, old));
        QCOMPARE(moveAndWait(scanner, {old}), (TrashOutcome{0, 1, 0, {}}));
        QVERIFY(QFileInfo(old).isSymLink());
        QCOMPARE(QFileInfo(precious).size(), 2 * MiB);
        QVERIFY(trashed().isEmpty());
        QCOMPARE(paths(scanner.recommendations()), QStringList{old});
    }

    void moveToTrash_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("moves");
        QTest::newRow("document") << "home/Documents/a.txt" << "file" << true;
        QTest::newRow("temporary file older than an hour") << "tmp/old.bin" << "file" << true;
        QTest::newRow("missing file") << "home/Documents/gone.txt" << "missing" << false;
        QTest::newRow("link to a file") << "home/Documents/link.txt" << "link" << false;
        QTest::newRow("folder") << "home/Documents/folder" << "folder" << false;
        QTest::newRow("protected") << "home/Library/Preferences/p.plist" << "file" << false;
        QTest::newRow("inside a hidden folder") << "home/.config/app/state" << "file" << false;
        QTest::newRow("hidden file") << "home/Documents/.env" << "file" << false;
        QTest::newRow("outside the home folder") << "outside/other.bin" << "file" << false;
        QTest::newRow("dot-dot out of the home folder") << "home/Documents/../../outside/precious.bin" << "existing"
                                                        << false;
        QTest::newRow("through a linked folder") << "home/Linked/precious.bin" << "linked folder" << false;
        QTest::newRow("another user's file") << "home/Documents/theirs.txt" << "other owner" << false;
        QTest::newRow("temporary file changed in the last hour") << "tmp/new.bin" << "fresh" << false;
        QTest::newRow("in a temporary subfolder") << "tmp/sub/x.bin" << "file" << false;
    }
    void moveToTrash()
    {
        QFETCH(QString, relative);
        QFETCH(QString, kind);
        QFETCH(bool, moves);
        ScratchHome scratch;
        const QString precious = scratch.file("outside/precious.bin", 7, 30);
        const QString path = scratch.at(relative);
        QVERIFY(QDir().mkpath(scratch.home() + "/Documents"));
        if (kind == "file" || kind == "other owner")
            scratch.file(relative, 5, 30);
        else if (kind == "fresh")
            scratch.file(relative, 5, 0.5 / 24);
        else if (kind == "link")
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()) && QFile::link(precious, path));
        else if (kind == "folder")
            scratch.file(relative + "/inside.txt", 5, 30);
        else if (kind == "linked folder")
            QVERIFY(QFile::link(QFileInfo(precious).absolutePath(), scratch.at("home/Linked")));
        ScanEnvironment env = scratch.environment();
        if (kind == "other owner")
            env.ownerId = uint(geteuid()) + 1;
        DiskScanner scanner(env, nullptr, scratchTrash(), nullptr);

        const TrashOutcome outcome = moveAndWait(scanner, {path});
        QCOMPARE(outcome, (moves ? TrashOutcome{1, 0, 5, {path}} : TrashOutcome{0, 1, 0, {}}));
        QCOMPARE(trashed(), moves ? QStringList{QFileInfo(path).fileName()} : QStringList{});
        QCOMPARE(QFileInfo::exists(path) || QFileInfo(path).isSymLink(), !moves && kind != "missing");
        QCOMPARE(QFileInfo(precious).size(), 7);
    }

    void movesCountEachPath()
    {
        ScratchHome scratch;
        const QString five = scratch.file("home/Documents/five.txt", 5, 1);
        const QString seven = scratch.file("home/Downloads/seven.txt", 7, 1);
        DiskScanner scanner(scratch.environment(), nullptr, scratchTrash(), nullptr);
        QCOMPARE(moveAndWait(scanner, {}), (TrashOutcome{0, 0, 0, {}}));
        QCOMPARE(moveAndWait(scanner, {five, scratch.home() + "/Documents/missing.txt", seven}),
                 (TrashOutcome{2, 1, 12, {five, seven}}));
        QCOMPARE(trashed(), (QStringList{"five.txt", "seven.txt"}));
        QVERIFY(QFile::exists(QFileInfo(trashFiles()).absolutePath() + "/info/five.txt.trashinfo"));
    }

    // Names up to the longest a file may have move like any other; with a Trash that cannot take
    // them, every item is passed over and counted. Either way the completion runs once and nothing
    // beside the selection moves.
    void longNamesAndAnUnusableTrash_data()
    {
        QTest::addColumn<bool>("usable");
        QTest::newRow("usable Trash") << true;
        QTest::newRow("a file where the Trash's files folder belongs") << false;
    }
    void longNamesAndAnUnusableTrash()
    {
        QFETCH(bool, usable);
        ScratchHome scratch;
        QStringList selected;
        for (const int length : {1, 200, 245, 250, 251, 255})
            selected << scratch.file("home/Library/Caches/app/" + QString(length, u'c'), 5, 30);
        const QString sibling = scratch.file("home/Library/Caches/app/keep.bin", 7, 30);
        const QString sameName = scratch.file("home/Library/Caches/other/" + QString(251, u'c'), 7, 30);
        if (!usable)
            QVERIFY(QDir().mkpath(QFileInfo(trashFiles()).path()) && QFile(trashFiles()).open(QIODevice::WriteOnly));
        DiskScanner scanner(scratch.environment(), nullptr, scratchTrash(), nullptr);

        const TrashOutcome outcome = moveAndWait(scanner, selected);
        QCOMPARE(outcome, usable ? (TrashOutcome{6, 0, 30, selected}) : (TrashOutcome{0, 6, 0, {}}));
        for (const QString& path : selected)
            QCOMPARE(QFileInfo::exists(path), !usable);
        QCOMPARE(trashed().size(), usable ? 6 : 0);
        if (usable)
            QCOMPARE(QDir(QFileInfo(trashFiles()).path() + "/info").entryList(QDir::Files).size(), 6);
        QCOMPARE(QFileInfo(sibling).size(), 7);
        QCOMPARE(QFileInfo(sameName).size(), 7);
    }

    void revealGoesToTheFileManager()
    {
        auto revealer = std::make_shared<FakeFileRevealer>();
        DiskScanner scanner(ScanEnvironment::originalTable("/h", "/t"), nullptr, nullptr, revealer);
        scanner.revealInFinder("/h/Documents/x.pdf");
        QCOMPARE(revealer->revealed, QStringList{"/h/Documents/x.pdf"});
    }
};

QM_TEST_MAIN(TestDiskScanner)
#include "tst_DiskScanner.moc"
