#include "TestMain.h"
#include "app/DesktopFilePicker.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>

class TestDesktopFilePicker : public QObject {
    Q_OBJECT
private slots:
    // The picker opens in the home folder, not in the folder the application was started from.
    void opensInTheHomeFolder()
    {
        const QString started = QDir::homePath() + "/started-here";
        QVERIFY(QDir().mkpath(started));
        QVERIFY(QDir::setCurrent(started));
        QString shown;
        QWidget parent;
        parent.show();
        // Found as the parent's child, not as the modal widget: a native dialog is none, and its
        // widget is never shown. Timers fire only once the dialog runs.
        QTimer closer;
        closer.setInterval(10);
        connect(&closer, &QTimer::timeout, this, [&] {
            auto* dialog = parent.findChild<QFileDialog*>();
            if (!dialog)
                return;
            closer.stop();
            shown = dialog->directory().absolutePath();
            dialog->reject();
        });
        closer.start();
        QVERIFY(DesktopFilePicker().chooseFiles(&parent, "Attach").isEmpty());
        QCOMPARE(shown, QDir(QDir::homePath()).absolutePath());
    }

    // In the toolkit's own dialog the size, type and date of each file show whole, with room
    // left for the names.
    void detailColumnsShowWhole()
    {
        QFile file(QDir::homePath() + "/notes.md");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(26700, 'x'));
        file.close();
        QWidget parent;
        parent.show();
        QStringList cut;
        int nameWidth = 0;
        bool inspected = false;
        QTimer inspector;
        inspector.setInterval(10);
        connect(&inspector, &QTimer::timeout, this, [&] {
            auto* dialog = parent.findChild<QFileDialog*>();
            auto* list = dialog ? dialog->findChild<QTreeView*>("treeView") : nullptr;
            if (dialog && !list) {
                // A native dialog draws its own columns.
                inspector.stop();
                dialog->reject();
                return;
            }
            if (!list || !list->isVisible() || list->model()->rowCount(list->rootIndex()) == 0)
                return;
            inspector.stop();
            QCoreApplication::processEvents();
            QStyleOptionViewItem option;
            option.font = list->font();
            for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
                for (int column = 1; column < list->header()->count(); ++column) {
                    const QModelIndex cell = list->model()->index(row, column, list->rootIndex());
                    if (list->columnWidth(column) < list->itemDelegate()->sizeHint(option, cell).width())
                        cut.append(cell.data().toString());
                }
            }
            nameWidth = list->columnWidth(0);
            inspected = true;
            dialog->reject();
        });
        inspector.start();
        DesktopFilePicker().chooseFiles(&parent, "Attach");
        if (!inspected)
            QSKIP("the desktop's own file dialog is in use");
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(", ")));
        QVERIFY(nameWidth >= 200);
    }
};

QM_TEST_MAIN(TestDesktopFilePicker)
#include "tst_DesktopFilePicker.moc"
