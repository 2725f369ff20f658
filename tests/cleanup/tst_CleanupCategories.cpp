#include "TestMain.h"
#include "cleanup/CleanupCategories.h"

namespace {

using CleanupCategories::Selection;

FileItem item(const QStringList& reasons, const QString& type = "cleanup", const QString& path = "/Users/me/x.bin",
              qint64 size = 1)
{
    return FileItem::make(path.section('/', -1), path, size, type, 0, reasons, true);
}

QStringList names(const QList<CleanupPreviewCategory>& categories)
{
    QStringList result;
    for (const CleanupPreviewCategory& category : categories)
        result << category.name + " " + QString::number(category.count);
    return result;
}

} // namespace

class TestCleanupCategories : public QObject {
    Q_OBJECT
private slots:
    void classifier_data()
    {
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("safety");
        const QString doc = "/Users/me/Documents/x.bin";
        QTest::newRow("cache reason") << QStringList{"App cache", "Unused for 14+ days"} << "cache" << doc
                                      << "App Caches" << "Safe";
        QTest::newRow("cache type in any case") << QStringList{} << "CACHE" << doc << "App Caches" << "Safe";
        QTest::newRow("Library caches path in any case") << QStringList{} << "file" << "/Users/me/library/CACHES/x"
                                                         << "App Caches" << "Safe";
        QTest::newRow("log reason") << QStringList{"Log file"} << "cleanup" << doc << "Log Files" << "Safe";
        QTest::newRow("catalog holds log") << QStringList{"Old catalog"} << "cleanup" << doc << "Log Files" << "Safe";
        QTest::newRow("Library logs path") << QStringList{} << "file" << "/Users/me/Library/Logs/x" << "Log Files"
                                           << "Safe";
        QTest::newRow("temporary file in Downloads") << QStringList{"Temporary file"} << "cleanup"
                                                     << "/Users/me/Downloads/x.tmp" << "Temporary Files" << "Safe";
        QTest::newRow("template holds temp") << QStringList{"Template"} << "cleanup" << doc << "Temporary Files"
                                             << "Safe";
        QTest::newRow("tmp path") << QStringList{} << "file" << "/private/tmp/x" << "Temporary Files" << "Safe";
        QTest::newRow("download and unused") << QStringList{"Large download artifact", "Unused for 14+ days"}
                                             << "cleanup" << doc << "Download Artifacts" << "Review";
        QTest::newRow("Downloads path") << QStringList{} << "file" << "/Users/me/Downloads/a.pdf"
                                        << "Download Artifacts" << "Review";
        QTest::newRow("not accessed") << QStringList{"Not accessed in 61 days"} << "file" << doc << "Stale Files"
                                      << "Review";
        QTest::newRow("today holds day") << QStringList{"Opened today"} << "file" << doc << "Stale Files"
                                         << "Review";
        QTest::newRow("Desktop only") << QStringList{"Large file in Desktop."} << "file" << "/Users/me/Desktop/x.mkv"
                                      << "Other Review" << "Be Careful";
        QTest::newRow("no reasons") << QStringList{} << "file" << doc << "Other Review" << "Be Careful";
    }
    void classifier()
    {
        QFETCH(QStringList, reasons);
        QFETCH(QString, type);
        QFETCH(QString, path);
        QFETCH(QString, category);
        QFETCH(QString, safety);
        const FileItem classified = item(reasons, type, path);
        const CleanupCategoryDescriptor& descriptor = CleanupCategories::cleanupDescriptor(classified);
        QCOMPARE(descriptor.name, category);
        QCOMPARE(CleanupSafeties::rawValue(descriptor.safety), safety);
        QCOMPARE(CleanupCategories::safeItems({classified}).contains(classified.id), safety == "Safe");
    }

    // The path tests read only what lies below the home folder, so a home under /tmp or inside a
    // Downloads folder does not make every stale file in it a safe temporary file.
    void pathTestsBelowTheHome_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("category");
        QTest::newRow("home under tmp") << "/tmp/session/me" << "/tmp/session/me/Documents/x.bin" << "Stale Files";
        QTest::newRow("tmp folder inside the home") << "/tmp/session/me" << "/tmp/session/me/work/tmp/x.bin"
                                                    << "Temporary Files";
        QTest::newRow("home inside a Downloads folder") << "/mnt/Downloads/me" << "/mnt/Downloads/me/Documents/x.bin"
                                                        << "Stale Files";
        QTest::newRow("Library caches below the home") << "/tmp/me" << "/tmp/me/Library/Caches/x.bin" << "App Caches";
        QTest::newRow("outside the home the whole path counts") << "/home/me" << "/tmp/x.bin" << "Temporary Files";
        QTest::newRow("a neighbour of the home") << "/tmp/me" << "/tmp/meg/x.bin" << "Temporary Files";
        QTest::newRow("no home given") << "" << "/tmp/session/me/Documents/x.bin" << "Temporary Files";
    }
    void pathTestsBelowTheHome()
    {
        QFETCH(QString, home);
        QFETCH(QString, path);
        QFETCH(QString, category);
        const FileItem stale = item({"Unused for 14+ days"}, "cleanup", path);
        QCOMPARE(CleanupCategories::cleanupDescriptor(stale, home).name, category);
        QCOMPARE(CleanupCategories::makePreviewCategories({stale}, home).value(0).name, category);
        QCOMPARE(CleanupCategories::safeItems({stale}, home).isEmpty(), category == "Stale Files");
    }

    void safetyFromRawValue()
    {
        QCOMPARE(CleanupSafeties::fromRawValue("Be Careful"), std::optional(CleanupSafety::careful));
        QCOMPARE(CleanupSafeties::fromRawValue("Review"), std::optional(CleanupSafety::review));
        QCOMPARE(CleanupSafeties::fromRawValue("safe"), std::nullopt);
        QCOMPARE(CleanupSafeties::fromRawValue("be careful"), std::nullopt);
    }

    void groupingFollowsCategoryOrderNotSize()
    {
        const FileItem staleBig = item({"Unused for 14+ days"}, "cleanup", "/Users/me/a", 900);
        const FileItem cache = item({"App cache"}, "cache", "/Users/me/b", 1);
        const FileItem staleSmall = item({"Not accessed in 70 days"}, "file", "/Users/me/c", 5);
        const FileItem log = item({"Log file"}, "cleanup", "/Users/me/d", 2);
        const QList<CleanupPreviewCategory> rows =
            CleanupCategories::makePreviewCategories({staleBig, cache, staleSmall, log});
        QCOMPARE(names(rows), (QStringList{"App Caches 1", "Log Files 1", "Stale Files 2"}));
        QCOMPARE(rows[2].itemIDs, (QList<QUuid>{staleBig.id, staleSmall.id}));
        QCOMPARE(rows[2].size, qint64(905));
        QCOMPARE(rows[2].id, QString("Stale Files"));
        QCOMPARE(rows[2].safety, CleanupSafety::review);
        QVERIFY(CleanupCategories::makePreviewCategories({}).isEmpty());
        QCOMPARE(CleanupCategories::categoryOrder().size(), 6);
    }

    void selectionRules()
    {
        const FileItem cache1 = item({"App cache"}, "cache", "/Users/me/c1", 10);
        const FileItem cache2 = item({"App cache"}, "cache", "/Users/me/c2", 20);
        const FileItem cache3 = item({"App cache"}, "cache", "/Users/me/c3", 30);
        const FileItem stale = item({"Unused for 14+ days"}, "cleanup", "/Users/me/s", 400);
        const QList<FileItem> list{cache1, cache2, cache3, stale};
        const QList<CleanupPreviewCategory> rows = CleanupCategories::makePreviewCategories(list);
        const CleanupPreviewCategory& caches = rows[0];

        Selection selection{cache1.id, cache2.id, stale.id};
        QCOMPARE(CleanupCategories::selectedCount(caches, selection), 2);
        CleanupCategories::toggleCategory(selection, caches);
        QCOMPARE(CleanupCategories::selectedCount(caches, selection), 3);
        CleanupCategories::toggleCategory(selection, caches);
        QCOMPARE(selection, Selection{stale.id});
        QCOMPARE(CleanupCategories::selectedSize(list, selection), qint64(400));

        // Safe Only replaces: the stale item goes, the deselected cache comes back.
        selection = {cache1.id, cache3.id, stale.id};
        selection = CleanupCategories::safeItems(list);
        QCOMPARE(selection, (Selection{cache1.id, cache2.id, cache3.id}));
        QCOMPARE(CleanupCategories::selectedSize(list, selection), qint64(60));
        QCOMPARE(CleanupCategories::totalSize(list), qint64(460));

        // Identifiers of an earlier scan count for nothing.
        const Selection earlierScan{QUuid::createUuid(), QUuid::createUuid()};
        QCOMPARE(CleanupCategories::selectedSize(list, earlierScan), qint64(0));
        QCOMPARE(CleanupCategories::selectedCount(caches, earlierScan), 0);
        QCOMPARE(CleanupCategories::totalSize({}), qint64(0));
    }
};

QM_TEST_MAIN(TestCleanupCategories)
#include "tst_CleanupCategories.moc"
