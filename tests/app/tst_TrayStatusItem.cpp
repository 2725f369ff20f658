#include "FakeStatusAreaWatcher.h"
#include "TestMain.h"
#include "app/TrayStatusBar.h"
#include "app/TrayStatusItem.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QPointer>
#include <memory>

class TestTrayStatusItem : public QObject {
    Q_OBJECT
private slots:
    void iconAndToolTip_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QString>("tip");
        QTest::newRow("three figures") << "CPU 12% GPU 35% RAM 62%" << "12" << "CPU 12% GPU 35% RAM 62%";
        QTest::newRow("no GPU figure") << "CPU 12% GPU RAM 62%" << "12" << "CPU 12% GPU n/a RAM 62%";
        QTest::newRow("no CPU figure") << "CPU GPU 35% RAM" << "–" << "CPU n/a GPU 35% RAM n/a";
        QTest::newRow("nothing yet") << "" << "" << "";
    }
    // The icon holds the one figure a tray has room for; the tooltip names every reading.
    void iconAndToolTip()
    {
        QFETCH(QString, title);
        QFETCH(QString, figure);
        QFETCH(QString, tip);
        QCOMPARE(TrayStatusItem::iconFigure(title), figure);
        QCOMPARE(TrayStatusItem::toolTip(title), tip);
        const QImage icon = TrayStatusItem::icon(title);
        QCOMPARE(icon == TrayStatusItem::icon({}), figure.isEmpty());
    }

    // Reading rows cannot be chosen and are drawn unlike the row that can; separators show.
    void menuRowsLookAsTheyBehave()
    {
        TrayStatusItem item(std::make_shared<FakeStatusAreaWatcher>());
        item.setMenu({{StatusItem::MenuEntry::Kind::Text, "CPU 12%"},
                      {StatusItem::MenuEntry::Kind::Separator, {}},
                      {StatusItem::MenuEntry::Kind::Quit, "Quit"}});
        QMenu* menu = item.menu();
        menu->popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        const QList<QAction*> actions = menu->actions();
        QVERIFY(!actions.at(0)->isEnabled());
        const QImage picture = menu->grab().toImage();
        const auto inkOf = [&](QAction* action) {
            // The brightest pixel of the row: its text, or its separator line.
            int brightest = 0;
            const QRect row = menu->actionGeometry(action);
            for (int y = row.top(); y <= row.bottom(); ++y)
                for (int x = row.left(); x <= row.right(); ++x)
                    brightest = std::max(brightest, qGray(picture.pixel(x, y)));
            return brightest;
        };
        const int background = qGray(picture.pixel(menu->actionGeometry(actions.at(1)).topLeft()));
        QVERIFY(inkOf(actions.at(1)) - background >= 40);
        QVERIFY(inkOf(actions.at(0)) < inkOf(actions.at(2)) - 40);
        menu->hide();
    }

    // Choosing Quit ends the application, whose shut-down removes the item while the menu is still
    // handling the click.
    void quitFromTheMenuMayRemoveTheItem()
    {
        auto item = std::make_unique<TrayStatusItem>(std::make_shared<FakeStatusAreaWatcher>());
        item->setMenu({{StatusItem::MenuEntry::Kind::Text, "Quillmarsh"},
                       {StatusItem::MenuEntry::Kind::Separator, {}},
                       {StatusItem::MenuEntry::Kind::Quit, "Quit"}});
        int quits = 0;
        connect(item.get(), &StatusItem::quitChosen, this, [&] {
            ++quits;
            item.reset();
        });
        QPointer<QMenu> menu;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<QMenu*>(widget))
                menu = found;
        }
        QVERIFY(menu);
        menu->popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QAction* quit = menu->actions().last();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(quit).center());

        QCOMPARE(quits, 1);
        QVERIFY(!item);
        QTRY_VERIFY(!menu);
    }

    void iconComesAndGoesOnlyWhenTheBusAnswers_data()
    {
        QTest::addColumn<bool>("host");
        QTest::addColumn<bool>("answering");
        // What happens before the bus answers next.
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("shown");
        QTest::newRow("tray there") << true << true << "" << true;
        QTest::newRow("no tray") << false << true << "" << false;
        QTest::newRow("tray there, bus not answering") << true << false << "" << false;
        QTest::newRow("tray comes") << false << true << "tray comes" << true;
        QTest::newRow("bus answers again") << true << false << "bus answers again" << true;
        QTest::newRow("tray goes") << true << true << "tray goes" << false;
        QTest::newRow("removed first") << true << true << "remove" << false;
    }
    // Qt's tray icon waits on the session bus to register and unregister: the item makes and
    // deletes it only right after the bus answered, and only while a tray is there.
    void iconComesAndGoesOnlyWhenTheBusAnswers()
    {
        QFETCH(bool, host);
        QFETCH(bool, answering);
        QFETCH(QString, meanwhile);
        QFETCH(bool, shown);
        auto watcher = std::make_shared<FakeStatusAreaWatcher>();
        watcher->set(host, answering);
        TrayStatusBar bar(watcher);
        QCOMPARE(bar.isAvailable(), host && answering);
        TrayStatusItem item(watcher);
        item.setTitle("CPU 12% GPU RAM 62%");
        item.setMenu({{StatusItem::MenuEntry::Kind::Quit, "Quit"}});
        QVERIFY(!item.trayIcon());
        if (meanwhile == "tray comes" || meanwhile == "bus answers again")
            watcher->set(true, true);
        else if (meanwhile == "tray goes")
            watcher->set(false, true);
        else if (meanwhile == "remove")
            item.remove();
        watcher->answer();
        QCOMPARE(item.trayIcon() != nullptr, shown);
        if (!shown)
            return;
        QCOMPARE(item.trayIcon()->toolTip(), "CPU 12% GPU n/a RAM 62%");
        QCOMPARE(item.trayIcon()->contextMenu(), item.menu());

        // Removed while the bus does not answer: the icon stays until it does.
        QPointer<const QSystemTrayIcon> icon = item.trayIcon();
        watcher->set(true, false);
        item.remove();
        QVERIFY(!item.trayIcon());
        QVERIFY(icon);
        watcher->answer();
        QVERIFY(!icon);
    }
};

QM_TEST_MAIN(TestTrayStatusItem)
#include "tst_TrayStatusItem.moc"
