#include "TestMain.h"
#include "app/ScreenTabButton.h"
#include "screens/framelimiter/PresetCell.h"
#include "style/AppStyle.h"
#include "style/Fonts.h"
#include "style/FocusRing.h"
#include "style/GradientButton.h"
#include "style/SwitchToggle.h"
#include "style/SymbolTileButton.h"
#include "style/TileButton.h"

#include <QHBoxLayout>
#include <functional>

using Make = std::function<QWidget*(QWidget*)>;
Q_DECLARE_METATYPE(Make)
Q_DECLARE_METATYPE(Qt::FocusReason)

class TestFocusRing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { AppStyle::install(); }

    void controlShowsKeyboardFocus_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<Qt::FocusReason>("reason");
        QTest::addColumn<bool>("marked");
        const QList<std::pair<const char*, Make>> controls{
            {"strip entry", [](QWidget* p) { return new ScreenTabButton(AppScreen::dashboard, p); }},
            {"tile", [](QWidget* p) {
                 auto* tile = new TileButton(4, 8, 10, p);
                 tile->setItems({TileButton::Item::ofText("Boost", Fonts::ui(12), Qt::white)});
                 return tile;
             }},
            {"switch", [](QWidget* p) { return new SwitchToggle(1.0, p); }},
            {"gradient button", [](QWidget* p) { return new GradientButton("Scan", Fonts::ui(13), {12, 8}, 8, p); }},
            {"symbol tile", [](QWidget* p) { return new SymbolTileButton("bolt.fill", 15, Qt::white, 34, 8, p); }},
            {"preset cell", [](QWidget* p) { return new PresetCell("60", p); }},
        };
        for (const auto& [name, make] : controls) {
            QTest::addRow("%s, Tab", name) << make << Qt::TabFocusReason << true;
            QTest::addRow("%s, Shift+Tab", name) << make << Qt::BacktabFocusReason << true;
            QTest::addRow("%s, click", name) << make << Qt::MouseFocusReason << false;
        }
    }

    // A control looks different while it holds focus that came from the keyboard, and looks as it
    // did once focus leaves; focus from a click leaves the picture alone.
    void controlShowsKeyboardFocus()
    {
        QFETCH(Make, make);
        QFETCH(Qt::FocusReason, reason);
        QFETCH(bool, marked);
        QWidget window;
        auto* row = new QHBoxLayout(&window);
        QWidget* control = make(&window);
        auto* other = new SwitchToggle(1.0, &window);
        row->addWidget(control);
        row->addWidget(other);
        control->setFocusPolicy(Qt::StrongFocus);
        row->setContentsMargins(12, 12, 12, 12);
        window.resize(240, 70);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // A mouse focus first, so the keyboard is not already the last way focus came.
        other->setFocus(Qt::MouseFocusReason);
        // The control with the margin the ring is drawn in.
        const auto picture = [&] { return window.grab(control->geometry().adjusted(-4, -4, 4, 4)).toImage(); };
        const QImage unfocused = picture();

        control->setFocus(reason);
        QVERIFY(control->hasFocus());
        QCOMPARE(picture() != unfocused, marked);

        other->setFocus(Qt::MouseFocusReason);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(picture(), unfocused);
    }
};

QM_TEST_MAIN(TestFocusRing)
#include "tst_FocusRing.moc"
