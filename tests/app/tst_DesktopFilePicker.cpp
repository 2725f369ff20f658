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
};

QM_TEST_MAIN(TestDesktopFilePicker)
#include "tst_DesktopFilePicker.moc"
