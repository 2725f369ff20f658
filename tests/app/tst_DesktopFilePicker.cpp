#include "TestMain.h"
#include "app/DesktopFilePicker.h"

#include <QDir>
#include <QFileDialog>
#include <QTimer>

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
        QTimer::singleShot(0, this, [&shown] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shown = dialog->directory().absolutePath();
            dialog->reject();
        });
        QWidget parent;
        parent.show();
        QVERIFY(DesktopFilePicker().chooseFiles(&parent, "Attach").isEmpty());
        QCOMPARE(shown, QDir(QDir::homePath()).absolutePath());
    }
};

QM_TEST_MAIN(TestDesktopFilePicker)
#include "tst_DesktopFilePicker.moc"
