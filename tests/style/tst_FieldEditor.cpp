#include "TestMain.h"
#include "style/AppStyle.h"
#include "style/FieldEditor.h"

#include <QLineEdit>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(Qt::Key)

class TestFieldEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { AppStyle::install(); }

    void tabLeavesTheEditor_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("forward");
        QTest::newRow("Tab") << Qt::Key_Tab << Qt::KeyboardModifiers() << true;
        QTest::newRow("Shift+Tab") << Qt::Key_Backtab << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+Tab") << Qt::Key_Tab << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+Shift+Tab") << Qt::Key_Backtab
                                        << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << false;
    }

    // Tab moves on from a multi-line editor in the middle of a form and never types into it.
    void tabLeavesTheEditor()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, forward);
        QWidget window;
        auto* column = new QVBoxLayout(&window);
        auto* above = new QLineEdit(&window);
        auto* editor = new FieldEditor(12, 8, 8, &window);
        auto* below = new QLineEdit(&window);
        for (QWidget* field : std::initializer_list<QWidget*>{above, editor, below})
            column->addWidget(field);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        editor->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(editor, "notes");
        for (int i = 0; i < 3 && editor->hasFocus(); ++i)
            QTest::keyClick(editor, key, modifiers);
        QCOMPARE(QApplication::focusWidget(), forward ? below : above);
        QCOMPARE(editor->toPlainText(), "notes");
    }
};

QM_TEST_MAIN(TestFieldEditor)
#include "tst_FieldEditor.moc"
