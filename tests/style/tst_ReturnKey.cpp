#include "TestMain.h"
#include "style/AppStyle.h"
#include "style/Fonts.h"
#include "style/SwitchToggle.h"
#include "style/TextButton.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <functional>

using Make = std::function<QAbstractButton*(QWidget*)>;
Q_DECLARE_METATYPE(Make)
Q_DECLARE_METATYPE(Qt::Key)

class TestReturnKey : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { AppStyle::install(); }

    void pressesTheFocusedButton_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<bool>("inDialog");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("clicks");
        const Make text = [](QWidget* p) { return new TextButton("Reset", Fonts::ui(12), Qt::white, 4, p); };
        const Make toggle = [](QWidget* p) { return new SwitchToggle(1.0, p); };
        const Make push = [](QWidget* p) { return new QPushButton("Show", p); };
        QTest::newRow("button, Return") << text << false << Qt::Key_Return << Qt::KeyboardModifiers() << 1;
        QTest::newRow("button, keypad Enter") << text << false << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier) << 1;
        QTest::newRow("button, Ctrl+Return") << text << false << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ControlModifier) << 0;
        QTest::newRow("switch, Return") << toggle << false << Qt::Key_Return << Qt::KeyboardModifiers() << 1;
        QTest::newRow("push button, Return") << push << false << Qt::Key_Return << Qt::KeyboardModifiers() << 1;
        // A dialog's own buttons already answer Enter; it must not press them twice.
        QTest::newRow("dialog button, Return") << push << true << Qt::Key_Return << Qt::KeyboardModifiers() << 1;
    }

    void pressesTheFocusedButton()
    {
        QFETCH(Make, make);
        QFETCH(bool, inDialog);
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, clicks);
        std::unique_ptr<QWidget> window(inDialog ? new QDialog : new QWidget);
        auto* layout = new QHBoxLayout(window.get());
        QAbstractButton* button = make(window.get());
        layout->addWidget(button);
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        button->setFocus(Qt::TabFocusReason);
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(button, key, modifiers);
        QCOMPARE(clicked.size(), clicks);
        QCOMPARE(button->isChecked(), button->isCheckable() && clicks == 1);
    }
};

QM_TEST_MAIN(TestReturnKey)
#include "tst_ReturnKey.moc"
