#include "TestMain.h"
#include "style/FocusKeeper.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A window with a button outside the screen and the screen's buttons, made from entries
// "name", "name=key", "name!" (switched off) or "name-" (its press discards something).
struct Rig {
    Rig()
    {
        auto* layout = new QVBoxLayout(&window);
        outside = new QPushButton("Outside", &window);
        outside->setObjectName("outside");
        layout->addWidget(outside);
        screen = new QWidget(&window);
        new QVBoxLayout(screen);
        layout->addWidget(screen);
    }

    void build(const QStringList& entries)
    {
        for (const QString& entry : entries) {
            auto* button = new QPushButton(entry, screen);
            const QString name = entry.section('=', 0, 0);
            button->setObjectName(name.chopped(name.endsWith('!') || name.endsWith('-') ? 1 : 0));
            button->setEnabled(!name.endsWith('!'));
            if (name.endsWith('-'))
                FocusKeeper::setDiscarding(button);
            if (entry.contains('='))
                FocusKeeper::setKey(button, entry.section('=', 1));
            screen->layout()->addWidget(button);
        }
    }

    // "name#n": the n-th button of that name on the screen, or the one outside.
    QWidget* find(const QString& name) const
    {
        if (name == "outside")
            return outside;
        const int wanted = name.section('#', 1).toInt();
        int seen = 0;
        for (QWidget* button : screen->findChildren<QPushButton*>()) {
            if (button->objectName() == name.section('#', 0, 0) && seen++ == wanted)
                return button;
        }
        return nullptr;
    }

    QWidget window;
    QWidget* outside;
    QWidget* screen;
};

} // namespace

class TestFocusKeeper : public QObject {
    Q_OBJECT
private slots:
    void focusStaysOnTheScreen_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("landsOn");
        const QStringList abc{"a", "b", "c"};
        QTest::newRow("made again by name") << abc << "b" << abc << "b";
        QTest::newRow("made again, the same of three alike")
            << QStringList{"row", "row", "row"} << "row#1" << QStringList{"row", "row", "row"} << "row#1";
        QTest::newRow("a name under a key")
            << QStringList{"x=one", "x=two"} << "x#1" << QStringList{"x=two", "x=one"} << "x";
        QTest::newRow("another control keyed for the same job")
            << QStringList{"a", "go=link"} << "go" << QStringList{"a", "stop=link"} << "stop";
        QTest::newRow("the first of those keyed alike that can take it")
            << QStringList{"a", "stop=link"} << "stop" << QStringList{"a", "go!=link", "field=link"} << "field";
        QTest::newRow("keyed alike in the same place, but discarding: the next keyed alike")
            << QStringList{"go=link"} << "go" << QStringList{"drop-=link", "field=link"} << "field";
        QTest::newRow("the only one keyed alike discards: the nearest stop")
            << QStringList{"a", "go=link", "c"} << "go" << QStringList{"a", "drop-=link", "c"} << "c";
        QTest::newRow("made again, but discarding: the next stop")
            << QStringList{"a", "drop-", "c"} << "drop" << QStringList{"a", "drop-", "c"} << "c";
        QTest::newRow("nothing else left: not the discarding one")
            << QStringList{"go"} << "go" << QStringList{"drop-", "c"} << "c";
        QTest::newRow("gone: the next stop") << abc << "b" << QStringList{"a", "c"} << "c";
        QTest::newRow("gone, and the next switched off: the one before")
            << abc << "b" << QStringList{"a", "c!"} << "a";
        QTest::newRow("gone, and the last: the one before") << abc << "c" << QStringList{"a", "b"} << "b";
        QTest::newRow("nothing of before left: the first") << abc << "b" << QStringList{"y", "z"} << "y";
        QTest::newRow("the focus elsewhere is left there") << abc << "outside" << QStringList{"a"} << "outside";
    }

    // The screen's buttons are deleted and made anew while one of them, or another, has the focus.
    void focusStaysOnTheScreen()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, focused);
        QFETCH(QStringList, after);
        QFETCH(QString, landsOn);
        Rig rig;
        rig.build(before);
        rig.window.show();
        QApplication::setActiveWindow(&rig.window);
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        rig.find(focused)->setFocus(Qt::TabFocusReason);
        settle();
        {
            const FocusKeeper keep(rig.screen);
            qDeleteAll(rig.screen->findChildren<QPushButton*>());
            rig.build(after);
        }
        settle();
        QWidget* expected = rig.find(landsOn);
        QVERIFY(expected);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
};

QM_TEST_MAIN(TestFocusKeeper)
#include "tst_FocusKeeper.moc"
