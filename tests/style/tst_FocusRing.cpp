#include "FocusSight.h"
#include "TestMain.h"
#include "app/ScreenTabButton.h"
#include "screens/framelimiter/PresetCell.h"
#include "style/AppStyle.h"
#include "style/ClearScrollArea.h"
#include "style/Fonts.h"
#include "style/FocusRing.h"
#include "style/GradientButton.h"
#include "style/KeyboardFocus.h"
#include "style/SwitchToggle.h"
#include "style/SymbolTileButton.h"
#include "style/TextButton.h"
#include "style/TileButton.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QScrollBar>
#include <functional>

using Make = std::function<QWidget*(QWidget*)>;
Q_DECLARE_METATYPE(Make)
using Disturb = std::function<void(QWidget& box)>;
Q_DECLARE_METATYPE(Disturb)

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const QList<bool> allEdges{true, true, true, true};

// A control tight in a row that has no margin, inside a box that has none either: the row and the
// box end where the control does.
struct Tight {
    explicit Tight(const Make& make)
    {
        auto* outer = new QHBoxLayout(&window);
        outer->setContentsMargins(20, 20, 20, 20);
        outer->setSpacing(20);
        auto* box = new QWidget(&window);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        control = make(box);
        row->addWidget(control);
        before = new SwitchToggle(1.0, &window);
        outer->addWidget(before);
        outer->addWidget(box);
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the window never became active");
    }

    QWidget window;
    QWidget* before;
    QWidget* control;
};

} // namespace

class TestFocusRing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { AppStyle::install(); }

    void ringIsWholeAroundKeyboardFocus_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<bool>("textToTheEdges");
        const QList<std::pair<const char*, Make>> controls{
            {"strip entry", [](QWidget* p) { return new ScreenTabButton(AppScreen::dashboard, p); }},
            {"tile", [](QWidget* p) {
                 auto* tile = new TileButton(4, 8, 10, p);
                 tile->setItems({TileButton::Item::ofText("Boost", Fonts::ui(12), Qt::white)});
                 return tile;
             }},
            {"switch", [](QWidget* p) { return new SwitchToggle(1.0, p); }},
            {"gradient button", [](QWidget* p) { return new GradientButton("Scan", Fonts::ui(13), {12, 8}, 8, p); }},
            {"text button", [](QWidget* p) { return new TextButton("Cancel", Fonts::ui(13), Qt::white, 0, p); }},
            {"symbol tile", [](QWidget* p) { return new SymbolTileButton("bolt.fill", 15, Qt::white, 34, 8, p); }},
            {"preset cell", [](QWidget* p) { return new PresetCell("60", p); }},
        };
        for (const auto& [name, make] : controls) {
            const bool text = QByteArray(name) == "text button";
            QTest::addRow("%s, Tab", name) << make << true << text;
            QTest::addRow("%s, click", name) << make << false << text;
        }
    }

    // Tab onto a control that its containers fit tightly: the ring shows on all four sides and the
    // control itself looks as it did. A click shows no ring; the ring leaves with the focus.
    void ringIsWholeAroundKeyboardFocus()
    {
        QFETCH(Make, make);
        QFETCH(bool, byKeyboard);
        QFETCH(bool, textToTheEdges);
        Tight rig(make);
        const QRect bounds(rig.control->mapTo(&rig.window, QPoint(0, 0)), rig.control->size());
        const QRect outline = bounds.adjusted(-FocusRing::offset, -FocusRing::offset, FocusRing::offset, FocusRing::offset);
        rig.before->setFocus(Qt::MouseFocusReason);
        settle();
        // The control's face, short of the corners of a rounded one, which the ring's bends pass
        // close to; a text reaching the edges is clear of the ring to its corners.
        const int inset = textToTheEdges ? 0 : 3;
        const QRect face = bounds.adjusted(inset, inset, -inset, -inset);
        const QImage control = rig.window.grab(face).toImage();

        if (byKeyboard)
            QTest::keyClick(rig.before, Qt::Key_Tab);
        else
            QTest::mouseClick(rig.control, Qt::LeftButton, {}, QPoint(2, rig.control->height() / 2));
        settle();
        QVERIFY(rig.control->hasFocus());
        QCOMPARE(KeyboardFocus::ring() != nullptr, byKeyboard);
        if (byKeyboard) {
            QCOMPARE(KeyboardFocus::ring()->outline(), outline);
            QCOMPARE(FocusSight::edgesShown(rig.window, outline), allEdges);
            QCOMPARE(rig.window.grab(face).toImage(), control);
        }

        QTest::mouseClick(rig.before, Qt::LeftButton);
        settle();
        QVERIFY(!KeyboardFocus::ring());
        QCOMPARE(FocusSight::edgesShown(rig.window, outline), (QList<bool>{false, false, false, false}));
    }

    void ringLetsGoOfADestroyedControl_data()
    {
        QTest::addColumn<bool>("held");
        QTest::addColumn<Disturb>("disturb");
        const QList<std::pair<const char*, Disturb>> disturbances{
            {"its box moved", [](QWidget& box) { box.move(box.pos() + QPoint(7, 5)); }},
            {"its box resized", [](QWidget& box) { box.resize(box.size() + QSize(9, 4)); }},
            {"its box hidden and shown", [](QWidget& box) {
                 box.hide();
                 box.show();
             }},
            {"the window painted", [](QWidget& box) { box.window()->grab(); }},
        };
        for (const auto& [name, disturb] : disturbances) {
            QTest::addRow("%s, switched off first", name) << true << disturb;
            QTest::addRow("%s", name) << false << disturb;
        }
    }

    // A control the ring is round is destroyed, switched off beforehand so that it held on to the
    // ring, and the widgets round it move before the ring itself goes: the ring never reads the
    // control again (valgrind sees no invalid read) and stays hidden until it goes.
    void ringLetsGoOfADestroyedControl()
    {
        QFETCH(bool, held);
        QFETCH(Disturb, disturb);
        Tight rig([](QWidget* p) { return new GradientButton("Scan", Fonts::ui(13), {12, 8}, 8, p); });
        rig.before->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(rig.before, Qt::Key_Tab);
        settle();
        QPointer<FocusRing> ring = KeyboardFocus::ring();
        QVERIFY(ring && ring->target() == rig.control);
        if (held) {
            rig.control->setEnabled(false);
            QCOMPARE(KeyboardFocus::ring(), ring.data());
        }
        QWidget* box = rig.control->parentWidget();
        delete rig.control;
        disturb(*box);
        QVERIFY(!ring || (!ring->target() && !ring->isVisible()));
        settle();
        QVERIFY(!ring);
        QVERIFY(!KeyboardFocus::ring());
    }

    // In a scrolling page the ring moves with the control and is cut only where the page cuts it.
    void ringFollowsAScrolledControl()
    {
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* page = new ClearScrollArea(&window);
        layout->addWidget(page);
        auto* content = new QWidget;
        auto* column = new QVBoxLayout(content);
        QList<QWidget*> buttons;
        for (int i = 0; i < 12; ++i) {
            buttons.append(new GradientButton(QString("Row %1").arg(i), Fonts::ui(13), {12, 8}, 8, content));
            column->addWidget(buttons.last());
        }
        page->setWidget(content);
        window.resize(300, 200);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        buttons.first()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(buttons.first(), Qt::Key_Tab);
        settle();
        // Each Tab brings the next row into view, ring and all.
        for (int i = 1; i < buttons.size(); ++i) {
            QVERIFY(buttons[i]->hasFocus());
            const FocusRing* ring = KeyboardFocus::ring();
            QVERIFY(ring && ring->target() == buttons[i]);
            QCOMPARE(FocusSight::edgesShown(window, ring->outline()), allEdges);
            if (i + 1 < buttons.size()) {
                QTest::keyClick(buttons[i], Qt::Key_Tab);
                settle();
            }
        }
        // Scrolled away by the wheel's way, the ring goes with the control out of sight.
        QWidget* last = buttons.last();
        const QRect before = KeyboardFocus::ring()->outline();
        page->verticalScrollBar()->setValue(0);
        settle();
        QCOMPARE(KeyboardFocus::ring()->target(), last);
        QVERIFY(KeyboardFocus::ring()->outline().top() > before.top());
        // A row above growing is no scrolling: the focused control is brought back into view.
        buttons.first()->setMinimumHeight(400);
        for (int pass = 0; pass < 3; ++pass)
            settle();
        const QRect shown(page->viewport()->mapTo(&window, QPoint(0, 0)), page->viewport()->size());
        QVERIFY(shown.contains(KeyboardFocus::ring()->outline().adjusted(3, 3, -3, -3)));
        QCOMPARE(FocusSight::edgesShown(window, KeyboardFocus::ring()->outline()), allEdges);
    }
};

QM_TEST_MAIN(TestFocusRing)
#include "tst_FocusRing.moc"
