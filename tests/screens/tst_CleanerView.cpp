#include "FakeFileRevealer.h"
#include "FakeProcessRunner.h"
#include "ScratchHome.h"
#include "ScratchTrash.h"
#include "TestMain.h"
#include "cleanup/DiskScanner.h"
#include "screens/cleaner/CleanerButton.h"
#include "screens/cleaner/CleanerView.h"
#include "screens/cleaner/RecommendationRow.h"
#include "screens/cleaner/RecommendationsSection.h"
#include "style/Color.h"
#include "style/TextLabel.h"

#include <QMessageBox>
#include <QPropertyAnimation>
#include <QStandardPaths>

namespace {

const QStringList cache{"App cache"};
const QStringList stale{"Unused for 14+ days"};

QStringList trashed()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files")
        .entryList(QDir::Files | QDir::System | QDir::Hidden);
}

// The screen over a scanner of a scratch home, in the temporary folder, whose lists each test sets.
struct Rig {
    Rig() : scanner(scratch.linuxEnvironment(), std::make_shared<FakeProcessRunner>(), scratchTrash(), revealer) {}

    // A recommendation for a real file of `size` bytes in the home folder.
    FileItem item(const QString& name, qint64 size, const QStringList& reasons)
    {
        const QString path = scratch.file("home/Documents/" + name, size, 30);
        return FileItem::make(name, path, size, reasons.contains("App cache") ? "cache" : "cleanup", 30, reasons, true);
    }

    void publish(const QList<FileItem>& recommendations, const QList<FileItem>& apps = {},
                 const QList<FileItem>& files = {})
    {
        DiskScanner::Published state;
        state.progress = 100;
        state.message = "Scan complete!";
        state.recommendations = recommendations;
        state.apps = apps;
        state.files = files;
        scanner.setPublished(state);
    }

    CleanerView& open()
    {
        view = std::make_unique<CleanerView>(scanner);
        view->resize(1000, 650);
        view->show();
        return *view;
    }

    template <typename T>
    T* child(const QString& name) const { return view->findChild<T*>(name); }
    QString text(const QString& name) const { return child<TextLabel>(name)->text(); }
    bool shown(const QString& name) const
    {
        const QWidget* widget = child<QWidget>(name);
        return widget && widget->isVisibleTo(view.get());
    }
    void click(const QString& name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
    // Presses Clean Selected and confirms; returns the dialog's text.
    QString cleanAndConfirm()
    {
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support propagateSizeHints()");
        click("cleanSelectedButton");
        auto* dialog = child<QMessageBox>("cleanupConfirm");
        if (!dialog)
            return {};
        const QString text = dialog->informativeText();
        child<QAbstractButton>("confirmCleanup")->click();
        return text;
    }

    ScratchHome scratch;
    std::shared_ptr<FakeFileRevealer> revealer = std::make_shared<FakeFileRevealer>();
    DiskScanner scanner;
    std::unique_ptr<CleanerView> view;
};

} // namespace

class TestCleanerView : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash").removeRecursively();
    }

    void defaultSelectionFollowsNewLists()
    {
        Rig rig;
        const FileItem held = rig.item("held.bin", 10, cache);
        rig.publish({held});
        CleanerView& view = rig.open();
        // Opened on a list the scanner already holds: nothing selected, no status line.
        QVERIFY(view.selectedItems().isEmpty());
        QVERIFY(!rig.shown("statusMessage"));
        QVERIFY(rig.shown("previewCard") && rig.shown("reviewSection") && !rig.shown("resultsSection"));

        const FileItem a = rig.item("a.bin", 10, cache);
        const FileItem b = rig.item("b.log", 20, {"Log file"});
        const FileItem c = rig.item("c.bin", 30, stale);
        rig.publish({a, b, c});
        QCOMPARE(view.selectedItems(), (CleanupCategories::Selection{a.id, b.id}));
        QCOMPARE(rig.text("statusMessageText"), CleanerView::previewReadyMessage);
        QCOMPARE(rig.text("selectedSize"), QString("30.0 B selected"));

        rig.publish({});
        QVERIFY(view.selectedItems().isEmpty());
        QVERIFY(!rig.shown("statusMessage"));
        QVERIFY(rig.shown("resultsSection") && !rig.shown("previewCard"));

        // Empty before and after: nothing changes, the status line keeps its text.
        view.requestCleanup();
        rig.publish({});
        QCOMPARE(view.cleanMessage(), CleanerView::selectFirstMessage);
    }

    void scanEndsWithWhatItFound_data()
    {
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << false << CleanerView::nothingFoundMessage;
        QTest::newRow("one cache file") << true << CleanerView::previewReadyMessage;
    }
    void scanEndsWithWhatItFound()
    {
        QFETCH(bool, found);
        Rig rig;
        rig.open();
        DiskScanner::Published scanning;
        scanning.scanning = true;
        rig.scanner.setPublished(scanning);
        QCOMPARE(rig.view->cleanMessage(), QString());
        rig.publish(found ? QList<FileItem>{rig.item("a.cache", 4096, {"App cache"})} : QList<FileItem>{});
        QTEST(rig.view->cleanMessage(), "message");
    }

    void requestsAndConfirmation_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("earlierScan");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing selected") << 0 << false << CleanerView::selectFirstMessage;
        QTest::newRow("one") << 1 << false
                             << "Move 1 selected item to the Trash? You can review or restore them from the Trash "
                                "afterward.";
        QTest::newRow("two") << 2 << false
                             << "Move 2 selected items to the Trash? You can review or restore them from the Trash "
                                "afterward.";
        QTest::newRow("identifiers of an earlier scan") << 2 << true
                                                        << "Move 2 selected items to the Trash? You can review or "
                                                           "restore them from the Trash afterward.";
    }
    void requestsAndConfirmation()
    {
        QFETCH(int, selected);
        QFETCH(bool, earlierScan);
        QFETCH(QString, message);
        Rig rig;
        const FileItem a = rig.item("a.bin", 10, stale);
        const FileItem b = rig.item("b.bin", 20, stale);
        CleanerView& view = rig.open();
        rig.publish({a, b});
        QVERIFY(view.selectedItems().isEmpty());
        for (int i = 0; i < selected; ++i)
            view.toggleItem(earlierScan ? QUuid::createUuid() : (i == 0 ? a.id : b.id));
        QCOMPARE(rig.child<CleanerButton>("cleanSelectedButton")->isEnabled(), selected > 0);

        if (selected > 0)
            QTest::ignoreMessage(QtWarningMsg, "This plugin does not support propagateSizeHints()");
        const QString before = view.cleanMessage();
        view.requestCleanup();
        auto* dialog = rig.child<QMessageBox>("cleanupConfirm");
        QCOMPARE(dialog ? dialog->informativeText() : view.cleanMessage(), message);
        if (!dialog)
            return;
        QCOMPARE(dialog->windowTitle(), QString("Confirm Cleanup"));
        if (earlierScan) {
            rig.child<QAbstractButton>("confirmCleanup")->click();
            QCOMPARE(view.cleanMessage(), CleanerView::selectFirstMessage);
            QVERIFY(!view.isCleaningSelected());
        } else {
            const auto chosen = view.selectedItems();
            rig.child<QAbstractButton>("cancelCleanup")->click();
            QCOMPARE(view.selectedItems(), chosen);
            QCOMPARE(view.cleanMessage(), before);
            QCOMPARE(rig.scanner.recommendations().size(), 2);
        }
    }

    void cleanReportsWhatMovedAndAddsUp()
    {
        Rig rig;
        const FileItem five = rig.item("five.bin", 5, cache);
        const FileItem seven = rig.item("seven.bin", 7, cache);
        const QString precious = rig.scratch.file("outside/precious.bin", 3, 30);
        FileItem link = FileItem::make("link.bin", rig.scratch.home() + "/Documents/link.bin", 3, "cache", 30, cache, true);
        QVERIFY(QFile::link(precious, link.path));
        const FileItem review = rig.item("review.bin", 9, stale);
        CleanerView& view = rig.open();
        rig.publish({five, seven, link, review});
        QCOMPARE(view.selectedItems().size(), 3);
        QVERIFY(!rig.shown("freedRow"));

        QVERIFY(!rig.cleanAndConfirm().isEmpty());
        QVERIFY(view.isCleaningSelected());
        auto* clean = rig.child<CleanerButton>("cleanSelectedButton");
        QVERIFY(clean->isBusy() && !clean->isEnabled());
        // A second request while the first runs starts nothing.
        view.cleanSelected();
        QTRY_VERIFY(!view.isCleaningSelected());

        QCOMPARE(view.cleanMessage(), QString("Cleaned 2 items and freed 12.00 B; 1 could not be moved."));
        QCOMPARE(rig.text("freedLabel"), QString("Freed 12.00 B"));
        QVERIFY(view.selectedItems().isEmpty());
        QCOMPARE(FileItem::ids(rig.scanner.recommendations()), (QList<QUuid>{link.id, review.id}));
        QCOMPARE(trashed(), (QStringList{"five.bin", "seven.bin"}));
        QCOMPARE(QFileInfo(precious).size(), 3);

        const FileItem kilobyte = rig.item("kilobyte.bin", 1536, cache);
        rig.publish({kilobyte});
        rig.cleanAndConfirm();
        QTRY_VERIFY(!view.isCleaningSelected());
        QCOMPARE(view.cleanMessage(), QString("Cleaned 1 items and freed 1.50 KB."));
        QCOMPARE(rig.text("freedLabel"), QString("Freed 1.51 KB"));
        QCOMPARE(view.freedSpace(), qint64(1548));
    }

    void completionAfterTheScreenIsGoneIsDropped()
    {
        Rig rig;
        const FileItem a = rig.item("a.bin", 10, cache);
        rig.open();
        rig.publish({a});
        rig.cleanAndConfirm();
        rig.view.reset();
        QTRY_COMPARE(trashed(), QStringList{"a.bin"});
        QTRY_VERIFY(rig.scanner.recommendations().isEmpty());
    }

    void itemReview()
    {
        Rig rig;
        QList<FileItem> items;
        for (int i = 0; i < 12; ++i)
            items << rig.item(QString("f%1.bin").arg(i), 100 - i, i < 3 ? cache : stale);
        items[4].name = "<b>not bold</b>";
        items[4].reasons = {"Old <i>catalog</i>", "Unused for 14+ days"};
        CleanerView& view = rig.open();
        rig.publish(items);
        // The fifth item's reasons hold "log", so it is a safe log file.
        QCOMPARE(rig.text("reviewCount"), QString("4/12 selected"));
        QVERIFY(!rig.shown("recommendationRow") && !rig.shown("reviewCleanButton"));

        rig.click("reviewHeader");
        const auto rows = rig.view->findChildren<RecommendationRow*>();
        QCOMPARE(rows.size(), 12);
        QTRY_VERIFY(rows.first()->isVisibleTo(&view));
        QCOMPARE(rig.child<CleanerButton>("reviewCleanButton")->label(), QString("Clean Selected Items (4)"));
        auto* odd = rows[4]->findChild<TextLabel*>("itemName");
        QCOMPARE(odd->text(), QString("<b>not bold</b>"));
        QCOMPARE(odd->textFormat(), Qt::PlainText);
        QCOMPARE(rows[4]->findChild<TextLabel*>("itemReasons")->text(), QString("Old <i>catalog</i>, Unused for 14+ days"));

        // Twice on a row's circle leaves the selection as it was.
        const auto before = view.selectedItems();
        QTest::mouseClick(rows[7]->findChild<QWidget*>("selectButton"), Qt::LeftButton);
        QCOMPARE(rig.text("reviewCount"), QString("5/12 selected"));
        QTest::mouseClick(rows[7]->findChild<QWidget*>("selectButton"), Qt::LeftButton);
        QCOMPARE(view.selectedItems(), before);

        QTest::mouseClick(rows[2]->findChild<QWidget*>("revealButton"), Qt::LeftButton);
        QCOMPARE(rig.revealer->revealed, QStringList{items[2].path});

        // A tap on a category row selects the whole category.
        rig.click("categoryRow:Stale Files");
        QCOMPARE(view.selectedItems().size(), 12);
        rig.click("clearButton");
        QCOMPARE(rig.text("selectedSize"), QString("0.0 B selected"));
        QCOMPARE(rig.child<TextLabel>("selectedSize")->color(), QColor(Color::white50()));
        rig.click("safeOnlyButton");
        QCOMPARE(view.selectedItems().size(), 4);
        QCOMPARE(rig.child<TextLabel>("selectedSize")->color(), QColor(Color::neonGreen()));
    }

    // The review opens over 0.2 s, easing in and out; after a rescan it comes back closed.
    void reviewOpensGraduallyAndReturnsClosedAfterARescan()
    {
        Rig rig;
        rig.open();
        rig.publish({rig.item("a.bin", 10, cache), rig.item("b.bin", 20, stale)});
        auto* review = rig.child<RecommendationsSection>("reviewSection");
        auto* expansion = review->findChild<QPropertyAnimation*>("reviewExpansion");
        QVERIFY(expansion);
        rig.click("reviewHeader");
        QVERIFY(review->isExpanded());
        QCOMPARE(expansion->state(), QAbstractAnimation::Running);
        QCOMPARE(expansion->duration(), 200);
        QCOMPARE(expansion->easingCurve().type(), QEasingCurve::InOutQuad);
        QCOMPARE(expansion->startValue().toInt(), 0);
        QTRY_COMPARE(expansion->state(), QAbstractAnimation::Stopped);
        QVERIFY(rig.shown("recommendationRow") && rig.shown("reviewCleanButton"));

        DiskScanner::Published scanning;
        scanning.scanning = true;
        rig.scanner.setPublished(scanning);
        QVERIFY(!rig.shown("reviewSection"));
        rig.publish({rig.item("c.bin", 30, cache)});
        QVERIFY(rig.shown("reviewSection"));
        QVERIFY(!review->isExpanded());
        QVERIFY(!rig.shown("recommendationRow") && !rig.shown("reviewCleanButton"));
    }

    void resultListsShowFiveAndNeverFiles()
    {
        Rig rig;
        QList<FileItem> apps;
        for (int i = 0; i < 7; ++i)
            apps << FileItem::make(QString("App %1").arg(i), QString("/Applications/App %1.app").arg(i), 900 - i, "app");
        const FileItem heavy = FileItem::make("Documents/huge.bin", rig.scratch.home() + "/Documents/huge.bin",
                                              qint64(1) << 30, "file");
        CleanerView& view = rig.open();
        rig.publish({}, apps, {heavy});
        QVERIFY(rig.shown("resultsSection"));
        auto* list = rig.child<QWidget>("categoryList:Large Apps");
        QVERIFY(list);
        QStringList names;
        for (const TextLabel* name : list->findChildren<TextLabel*>("itemName"))
            names << name->text();
        QCOMPARE(names, (QStringList{"App 0", "App 1", "App 2", "App 3", "App 4"}));
        QVERIFY(!rig.child<QWidget>("categoryList:Large Folders"));
        for (const TextLabel* label : view.findChildren<TextLabel*>())
            QVERIFY(!label->text().contains("huge.bin"));
    }
};

QM_TEST_MAIN(TestCleanerView)
#include "tst_CleanerView.moc"
