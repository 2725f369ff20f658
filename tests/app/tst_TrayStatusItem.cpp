#include "TestMain.h"
#include "app/TrayStatusItem.h"

#include <QMenu>
#include <QPointer>
#include <memory>

class TestTrayStatusItem : public QObject {
    Q_OBJECT
private slots:
    void iconRows_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("three figures") << "CPU 12% GPU 35% RAM 62%" << QStringList{"12", "35", "62"};
        QTest::newRow("no GPU figure keeps its row") << "CPU 12% GPU RAM 62%" << QStringList{"12", "–", "62"};
        QTest::newRow("nothing yet") << "" << QStringList{};
    }
    void iconRows()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, rows);
        QCOMPARE(TrayStatusItem::iconRows(title), rows);
    }

    // Choosing Quit ends the application, whose shut-down removes the item while the menu is still
    // handling the click.
    void quitFromTheMenuMayRemoveTheItem()
    {
        auto item = std::make_unique<TrayStatusItem>();
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
};

QM_TEST_MAIN(TestTrayStatusItem)
#include "tst_TrayStatusItem.moc"
