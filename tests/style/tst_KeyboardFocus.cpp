#include "TestMain.h"
#include "style/AppStyle.h"
#include "style/FocusRing.h"
#include "style/Fonts.h"
#include "style/GradientButton.h"
#include "style/KeyboardFocus.h"
#include "style/SwitchToggle.h"

#include <QHBoxLayout>
#include <QWheelEvent>

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget* ringed()
{
    const FocusRing* ring = KeyboardFocus::ring();
    return ring && ring->isVisible() ? ring->target() : nullptr;
}

// A switch, a button that is switched off while it works, and another switch, in a row.
struct Row {
    Row()
    {
        auto* layout = new QHBoxLayout(&window);
        before = new SwitchToggle(1.0, &window);
        busy = new GradientButton("Boost", Fonts::ui(13), {12, 8}, 8, &window);
        after = new SwitchToggle(1.0, &window);
        for (QWidget* control : std::initializer_list<QWidget*>{before, busy, after})
            layout->addWidget(control);
        QObject::connect(busy, &QAbstractButton::clicked, busy, [this] { busy->setEnabled(false); });
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the window never became active");
    }

    QWidget window;
    SwitchToggle* before;
    GradientButton* busy;
    SwitchToggle* after;
};

} // namespace

Q_DECLARE_METATYPE(Qt::Key)

class TestKeyboardFocus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { AppStyle::install(); }

    void pressedControlKeepsTheFocusWhileBusy_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<Qt::Key>("meanwhile");
        QTest::addColumn<QString>("focusAfter");
        QTest::newRow("Space, then done") << true << Qt::Key_unknown << "busy";
        QTest::newRow("click, then done") << false << Qt::Key_unknown << "busy";
        QTest::newRow("Space, Space again") << true << Qt::Key_Space << "busy";
        QTest::newRow("Space, Enter") << true << Qt::Key_Return << "busy";
        QTest::newRow("Space, Tab on") << true << Qt::Key_Tab << "after";
        QTest::newRow("Space, Shift+Tab back") << true << Qt::Key_Backtab << "before";
        QTest::newRow("click, Tab on") << false << Qt::Key_Tab << "after";
    }

    // A button switched off by its own press keeps the ring and gets the focus back when it is
    // switched on again; meanwhile keys do not act on the control after it, and Tab and Shift+Tab
    // move on from the button as they would have.
    void pressedControlKeepsTheFocusWhileBusy()
    {
        QFETCH(bool, byKeyboard);
        QFETCH(Qt::Key, meanwhile);
        QFETCH(QString, focusAfter);
        Row row;
        if (byKeyboard) {
            row.before->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(row.before, Qt::Key_Tab);
            QTest::keyClick(row.busy, Qt::Key_Space);
        } else {
            QTest::mouseClick(row.busy, Qt::LeftButton);
        }
        settle();
        QVERIFY(!row.busy->isEnabled());
        QCOMPARE(ringed(), byKeyboard ? row.busy : nullptr);

        if (meanwhile != Qt::Key_unknown) {
            QTest::keyClick(QApplication::focusWidget(), meanwhile);
            settle();
        }
        QVERIFY(!row.after->isChecked());
        QVERIFY(!row.before->isChecked());
        row.busy->setEnabled(true);
        settle();
        const QHash<QString, QWidget*> controls{{"before", row.before}, {"busy", row.busy}, {"after", row.after}};
        QCOMPARE(QApplication::focusWidget(), controls.value(focusAfter));
        QCOMPARE(ringed(), byKeyboard || meanwhile == Qt::Key_Tab ? controls.value(focusAfter) : nullptr);
    }

    // The ring comes with the first key and goes with the mouse, wherever the focus moves meanwhile.
    void ringFollowsTheLastDeviceUsed()
    {
        Row row;
        QTest::mouseClick(row.before, Qt::LeftButton);
        settle();
        QCOMPARE(ringed(), nullptr);
        QTest::keyClick(row.before, Qt::Key_Shift);
        QCOMPARE(ringed(), nullptr);
        QTest::keyClick(row.before, Qt::Key_A);
        QCOMPARE(ringed(), row.before);
        QTest::mouseClick(row.after, Qt::LeftButton);
        settle();
        QCOMPARE(ringed(), nullptr);
        row.before->setFocus(Qt::TabFocusReason);
        settle();
        QCOMPARE(ringed(), nullptr);
        QTest::keyClick(row.before, Qt::Key_Tab);
        settle();
        QCOMPARE(ringed(), row.busy);
        QWheelEvent wheel(QPointF(4, 4), row.busy->mapToGlobal(QPointF(4, 4)), {}, QPoint(0, -120), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(row.busy, &wheel);
        settle();
        QCOMPARE(ringed(), nullptr);
    }
};

QM_TEST_MAIN(TestKeyboardFocus)
#include "tst_KeyboardFocus.moc"
