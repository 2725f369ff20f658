#include "TestMain.h"
#include "screens/assistant/AIMessageBubble.h"
#include "screens/optimizers/BoostActionRow.h"
#include "style/Color.h"
#include "style/ContentButton.h"
#include "style/ElidedLabel.h"
#include "style/FieldEditor.h"
#include "style/FieldLine.h"
#include "style/FieldLook.h"
#include "style/Fonts.h"
#include "style/LinearProgressBar.h"
#include "style/OutlineButton.h"
#include "style/PaintCache.h"
#include "style/PickerBox.h"
#include "style/PlainButton.h"
#include "style/RoundedPanel.h"
#include "style/SegmentedPicker.h"
#include "style/SwitchToggle.h"
#include "style/SymbolButton.h"
#include "style/SymbolTileButton.h"
#include "style/SymbolView.h"
#include "style/TextButton.h"
#include "style/TextLabel.h"
#include "style/TileButton.h"

#include <QLinearGradient>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <functional>
#include <memory>

namespace {

// A widget as it is made, and a change to it after it was painted once.
struct Change {
    std::function<QWidget*()> make;
    std::function<void(QWidget*)> apply;
};

template <typename W>
Change change(std::function<W*()> make, std::function<void(W*)> apply)
{
    return {[make] { return make(); }, [apply](QWidget* widget) { apply(static_cast<W*>(widget)); }};
}

QImage picture(QWidget& widget)
{
    return widget.grab().toImage();
}

// The largest difference of any channel of any pixel, or 256 when the sizes differ.
int largestDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    const QImage first = a.convertToFormat(QImage::Format_ARGB32);
    const QImage second = b.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            const QRgb p = first.pixel(x, y);
            const QRgb q = second.pixel(x, y);
            for (int shift : {0, 8, 16, 24})
                largest = std::max(largest, std::abs(int((p >> shift) & 0xff) - int((q >> shift) & 0xff)));
        }
    }
    return largest;
}

TextLabel* label()
{
    auto* made = new TextLabel("Kept text", 13, QFont::Normal, Color::white70());
    made->resize(160, 40);
    return made;
}

// The same text drawn by a TextLabel and by QLabel itself, for the layouts the label draws alone.
struct Look {
    QString text;
    Qt::Alignment alignment;
    bool wordWrap;
    int margin;
    QMargins contents;
    bool enabled;
};

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Look)

class TestKeptPictures : public QObject {
    Q_OBJECT
private slots:
    // A widget painted once and then changed shows what a fresh widget in the changed state shows.
    void changedWidgetPaintsAsFresh_data()
    {
        QTest::addColumn<Change>("change");
        QTest::newRow("label text") << change<TextLabel>(label, [](auto* w) { w->setText("Other words"); });
        QTest::newRow("label colour") << change<TextLabel>(label, [](auto* w) { w->setColor(Color::neonCyan()); });
        QTest::newRow("label font") << change<TextLabel>(label, [](auto* w) { w->setFont(Fonts::ui(17, QFont::Bold)); });
        QTest::newRow("label alignment") << change<TextLabel>(label, [](auto* w) { w->setAlignment(Qt::AlignRight); });
        QTest::newRow("label wrap") << change<TextLabel>(
            [] {
                auto* w = label();
                w->setText("Words enough to need a second line here");
                w->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                return w;
            },
            [](auto* w) { w->setWordWrap(true); });
        QTest::newRow("label margins") << change<TextLabel>(label, [](auto* w) { w->setContentsMargins(20, 5, 0, 0); });
        QTest::newRow("label margin") << change<TextLabel>(label, [](auto* w) { w->setMargin(12); });
        QTest::newRow("label size") << change<TextLabel>(
            [] {
                auto* w = label();
                w->setAlignment(Qt::AlignCenter);
                return w;
            },
            [](auto* w) { w->resize(100, 30); });
        QTest::newRow("label palette role") << change<TextLabel>(label, [](auto* w) {
            QPalette p = w->palette();
            p.setColor(QPalette::ButtonText, Color::neonGreen());
            w->setPalette(p);
            w->setForegroundRole(QPalette::ButtonText);
        });

        // Inputs whose numbers, written one after the other, would read alike.
        QTest::newRow("label role and margin") << change<TextLabel>(
            [] {
                auto* w = label();
                w->setForegroundRole(QPalette::Button);
                w->setMargin(20);
                return w;
            },
            [](auto* w) {
                w->setForegroundRole(QPalette::Highlight);
                w->setMargin(0);
            });

        const auto elided = [] {
            auto* w = new ElidedLabel("A long line that ends in an ellipsis", 13, QFont::Normal, Color::white70());
            w->resize(300, 20);
            return w;
        };
        QTest::newRow("elided text") << change<ElidedLabel>(elided, [](auto* w) { w->setText("Short"); });
        QTest::newRow("elided colour") << change<ElidedLabel>(elided, [](auto* w) { w->setColor(Color::neonCyan()); });
        QTest::newRow("elided width") << change<ElidedLabel>(elided, [](auto* w) { w->resize(120, 20); });

        const auto content = [] {
            auto* w = new ContentButton;
            w->resize(120, 40);
            w->setBackground(Color::white10(), 8);
            return w;
        };
        QTest::newRow("content fill") << change<ContentButton>(content, [](auto* w) { w->setBackground(Color::neonPurple(), 8); });
        QTest::newRow("content corner") << change<ContentButton>(content, [](auto* w) { w->setBackground(Color::white10(), 18); });
        QTest::newRow("content stroke") << change<ContentButton>(
            content, [](auto* w) { w->setBackground(Color::white10(), 8, Color::neonCyan()); });
        QTest::newRow("content size") << change<ContentButton>(content, [](auto* w) { w->resize(200, 64); });
        const auto panel = [] {
            auto* w = new RoundedPanel(10, Color::white10b());
            w->resize(160, 48);
            return w;
        };
        QTest::newRow("panel colour") << change<RoundedPanel>(panel, [](auto* w) { w->setColor(Color::neonPurple()); });
        QTest::newRow("panel stroke") << change<RoundedPanel>(panel, [](auto* w) { w->setStroke(Color::neonCyan()); });
        QTest::newRow("content cleared") << change<ContentButton>(content, [](auto* w) { w->setBackground(Qt::transparent, 8); });

        const auto plain = [] {
            auto* w = new PlainButton("Apply", Fonts::ui(13), Qt::white, Color::neonPurple(), {12, 6}, 8);
            w->resize(w->sizeHint());
            return w;
        };
        QTest::newRow("plain label") << change<PlainButton>(plain, [](auto* w) { w->setLabel("Undo", Color::neonCyan()); });
        QTest::newRow("plain font") << change<PlainButton>(plain, [](auto* w) { w->setFont(Fonts::ui(15, QFont::Bold)); });
        QTest::newRow("plain pressed") << change<PlainButton>(plain, [](auto* w) { w->setDown(true); });
        QTest::newRow("plain disabled") << change<PlainButton>(plain, [](auto* w) { w->setEnabled(false); });

        const auto text = [] {
            auto* w = new TextButton("Reveal", Fonts::ui(13), Color::neonCyan(), 4);
            w->resize(w->sizeHint());
            return w;
        };
        QTest::newRow("text button text") << change<TextButton>(text, [](auto* w) { w->setText("Hide"); });
        QTest::newRow("text button pressed") << change<TextButton>(text, [](auto* w) { w->setDown(true); });
        QTest::newRow("text button disabled") << change<TextButton>(text, [](auto* w) { w->setEnabled(false); });

        const auto toggle = [] {
            auto* w = new SwitchToggle;
            w->resize(w->sizeHint());
            return w;
        };
        QTest::newRow("switch on") << change<SwitchToggle>(toggle, [](auto* w) { w->setChecked(true); });
        QTest::newRow("switch tint") << change<SwitchToggle>(
            [toggle] {
                auto* w = toggle();
                w->setChecked(true);
                return w;
            },
            [](auto* w) { w->setTint(Color::neonGreen()); });
        QTest::newRow("switch disabled") << change<SwitchToggle>(toggle, [](auto* w) { w->setEnabled(false); });

        const auto bar = [] {
            auto* w = new LinearProgressBar(Color::neonCyan());
            w->resize(200, LinearProgressBar::barHeight);
            w->setValue(0.25);
            return w;
        };
        QTest::newRow("progress value") << change<LinearProgressBar>(bar, [](auto* w) { w->setValue(0.75); });
        QTest::newRow("progress empty") << change<LinearProgressBar>(bar, [](auto* w) { w->setValue(0); });

        const auto symbol = [] { return new SymbolButton("xmark", 24, Color::white70()); };
        QTest::newRow("symbol name") << change<SymbolButton>(symbol, [](auto* w) { w->setSymbol("minus", Color::white70()); });
        QTest::newRow("symbol colour") << change<SymbolButton>(symbol, [](auto* w) { w->setSymbol("xmark", Color::neonCyan()); });
        QTest::newRow("symbol pressed") << change<SymbolButton>(symbol, [](auto* w) { w->setDown(true); });

        QTest::newRow("symbol view gradient") << change<SymbolView>(
            [] { return new SymbolView("bolt.fill", 24, Color::white70()); },
            [](auto* w) {
                QLinearGradient gradient(0, 0, 24, 24);
                gradient.setColorAt(0, Color::neonCyan());
                gradient.setColorAt(1, Color::neonPurple());
                w->setGradient(gradient);
            });
        QTest::newRow("outline symbol size") << change<OutlineButton>(
            [] {
                auto* w = new OutlineButton("Connect", Fonts::ui(13), Color::neonCyan(), 8, 10);
                w->setSymbol("bolt.fill", 12);
                w->resize(160, 36);
                return w;
            },
            [](auto* w) { w->setSymbol("bolt.fill", 18); });
        const auto tile = [] { return new SymbolTileButton("plus", 14, Qt::white, 32, 8); };
        QTest::newRow("tile colour") << change<SymbolTileButton>(tile, [](auto* w) { w->setTile(Color::neonPurple()); });
        QTest::newRow("tile gradient") << change<SymbolTileButton>(tile, [](auto* w) {
            QLinearGradient gradient(0, 0, 32, 32);
            gradient.setColorAt(0, Color::neonCyan());
            gradient.setColorAt(1, Color::neonPurple());
            w->setTile(gradient);
        });
        QTest::newRow("tile disabled") << change<SymbolTileButton>(tile, [](auto* w) { w->setEnabled(false); });

        const auto picker = [] {
            auto* w = new SegmentedPicker({{"Low", "low"}, {"High", "high"}});
            w->resize(160, 30);
            w->setCurrentValue("low");
            return w;
        };
        QTest::newRow("picker choice") << change<SegmentedPicker>(picker, [](auto* w) { w->setCurrentValue("high"); });
        QTest::newRow("picker none") << change<SegmentedPicker>(picker, [](auto* w) { w->setCurrentValue({}); });

        const auto tileButton = [] {
            auto* w = new TileButton(4, 8, 10);
            w->setItems({TileButton::Item::ofText("60 FPS", Fonts::ui(13), Qt::white)});
            w->resize(120, 50);
            return w;
        };
        QTest::newRow("tile button font") << change<TileButton>(
            tileButton, [](auto* w) { w->setItems({TileButton::Item::ofText("60 FPS", Fonts::ui(18, QFont::Bold), Qt::white)}); });
        QTest::newRow("tile button outline") << change<TileButton>(tileButton, [](auto* w) { w->setOutline(Color::neonCyan()); });

        const auto boostRow = [] {
            QuickBoostResult::QuickBoostAction action;
            action.label = "DNS cache flushed";
            action.success = true;
            auto* w = new BoostActionRow(action);
            w->resize(220, 20);
            // The entrance springs past the resting place before it settles.
            w->setEntrance(1.08);
            return w;
        };
        QTest::newRow("boost step settles") << change<BoostActionRow>(boostRow, [](auto* w) { w->setEntrance(1.0); });

        const auto field = [] {
            auto* w = new FieldLine;
            FieldLook::apply(*w, 13, 8, 10, 8);
            w->setPlaceholderText("Paste your API key");
            w->resize(220, 34);
            return w;
        };
        QTest::newRow("field text") << change<FieldLine>(field, [](auto* w) { w->setText("sk-typed"); });
        QTest::newRow("field placeholder") << change<FieldLine>(field, [](auto* w) { w->setPlaceholderText("Custom model ID"); });
        QTest::newRow("field scrolled back") << change<FieldLine>(
            [field] {
                auto* w = field();
                w->setText("a model name far longer than the field is wide");
                return w;
            },
            [](auto* w) { w->setCursorPosition(0); });
        QTest::newRow("field hidden text") << change<FieldLine>(
            [field] {
                auto* w = field();
                w->setText("secret");
                return w;
            },
            [](auto* w) { w->setEchoMode(QLineEdit::Password); });
        QTest::newRow("field width") << change<FieldLine>(field, [](auto* w) { w->resize(120, 34); });
        QTest::newRow("field font") << change<FieldLine>(field, [](auto* w) { w->setFont(Fonts::ui(16)); });
        QTest::newRow("field alignment") << change<FieldLine>(field, [](auto* w) { w->setAlignment(Qt::AlignRight); });

        const auto pickerBox = [] {
            auto* w = new PickerBox;
            w->addItems({"Auto Detect", "Steam"});
            w->resize(160, 28);
            return w;
        };
        QTest::newRow("picker box choice") << change<PickerBox>(pickerBox, [](auto* w) { w->setCurrentIndex(1); });
        QTest::newRow("picker box item text") << change<PickerBox>(pickerBox, [](auto* w) { w->setItemText(0, "Lutris"); });
        QTest::newRow("picker box placeholder") << change<PickerBox>(pickerBox, [](auto* w) {
            w->setPlaceholderText("Choose a game");
            w->setCurrentIndex(-1);
        });
        QTest::newRow("picker box disabled") << change<PickerBox>(pickerBox, [](auto* w) { w->setEnabled(false); });
        QTest::newRow("picker box font") << change<PickerBox>(pickerBox, [](auto* w) { w->setFont(Fonts::ui(15, QFont::Bold)); });
    }

    void changedWidgetPaintsAsFresh()
    {
        QFETCH(Change, change);
        std::unique_ptr<QWidget> kept(change.make());
        const QImage before = picture(*kept);
        // A picture some widgets take after a paint, outside of it.
        QCoreApplication::processEvents();
        change.apply(kept.get());
        const QImage after = picture(*kept);
        QCoreApplication::processEvents();
        QVERIFY(largestDifference(picture(*kept), after) <= 1);

        std::unique_ptr<QWidget> fresh(change.make());
        change.apply(fresh.get());
        const QImage expected = picture(*fresh);

        QCOMPARE(after, expected);
        QVERIFY2(expected != before, "the change shows at all");
    }

    // The kept part of a picture holds every painted pixel and starts and ends on whole logical
    // pixels, so it lands on the device pixels it came from.
    void keptPartHoldsWhatWasPainted_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<QList<QPoint>>("painted");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("nothing") << QSize(40, 20) << 1.0 << QList<QPoint>{} << QRect();
        QTest::newRow("one pixel") << QSize(40, 20) << 1.0 << QList<QPoint>{{5, 7}} << QRect(5, 7, 1, 1);
        QTest::newRow("first pixel") << QSize(40, 20) << 1.0 << QList<QPoint>{{0, 0}} << QRect(0, 0, 1, 1);
        QTest::newRow("last pixel") << QSize(40, 20) << 1.0 << QList<QPoint>{{39, 19}} << QRect(39, 19, 1, 1);
        QTest::newRow("spread") << QSize(40, 20) << 1.0 << QList<QPoint>{{3, 15}, {30, 2}, {12, 9}} << QRect(3, 2, 28, 14);
        QTest::newRow("double density") << QSize(80, 40) << 2.0 << QList<QPoint>{{5, 7}} << QRect(4, 6, 2, 2);
        QTest::newRow("double density, last pixel") << QSize(80, 40) << 2.0 << QList<QPoint>{{79, 39}} << QRect(78, 38, 2, 2);
        QTest::newRow("double density, even start") << QSize(80, 40) << 2.0 << QList<QPoint>{{10, 20}, {13, 21}}
                                                    << QRect(10, 20, 4, 2);
        QTest::newRow("fractional density") << QSize(50, 25) << 1.25 << QList<QPoint>{{5, 5}} << QRect(0, 0, 50, 25);
    }

    void keptPartHoldsWhatWasPainted()
    {
        QFETCH(QSize, size);
        QFETCH(qreal, dpr);
        QFETCH(QList<QPoint>, painted);
        QFETCH(QRect, expected);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        // The faintest pixel there is still shows over what lies under it.
        for (const QPoint& at : painted)
            image.setPixel(at, qRgba(0, 0, 0, 1));
        QCOMPARE(paintedBounds(image), expected);
    }

    // A tall picture blended in bands lands exactly where one blend of it would.
    void bandsBlendAsOnePicture_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("one band") << QSize(50, inlineBandLines) << 1.0 << QPoint(3, 4);
        QTest::newRow("a line past a band") << QSize(50, inlineBandLines + 1) << 1.0 << QPoint(0, 0);
        QTest::newRow("several bands and a part") << QSize(37, 5 * inlineBandLines + 7) << 1.0 << QPoint(11, 9);
        QTest::newRow("double density") << QSize(60, 3 * inlineBandLines + 6) << 2.0 << QPoint(5, 3);
        QTest::newRow("triple density") << QSize(60, 3 * inlineBandLines + 9) << 3.0 << QPoint(2, 7);
        QTest::newRow("fractional density") << QSize(50, 4 * inlineBandLines + 5) << 1.25 << QPoint(4, 4);
        QTest::newRow("fractional density, between device pixels") << QSize(50, 3 * inlineBandLines + 2) << 1.5 << QPoint(3, 5);
    }

    void bandsBlendAsOnePicture()
    {
        QFETCH(QSize, size);
        QFETCH(qreal, dpr);
        QFETCH(QPoint, at);
        // Every line of the picture differs from the others, and it is translucent.
        QImage source(size, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                source.setPixelColor(x, y, QColor(y % 256, (x * 7) % 256, (x + y) % 256, 40 + (x * y) % 200));
        }
        QPixmap picture = QPixmap::fromImage(source);
        picture.setDevicePixelRatio(dpr);
        const auto blended = [&](auto draw) {
            QImage canvas(size + QSize(40, 40) * dpr, QImage::Format_ARGB32_Premultiplied);
            canvas.setDevicePixelRatio(dpr);
            canvas.fill(QColor(20, 30, 60));
            QPainter painter(&canvas);
            draw(painter);
            return canvas;
        };
        const QImage expected = blended([&](QPainter& painter) { painter.drawPixmap(at, picture); });
        const QImage actual = blended([&](QPainter& painter) { drawInBands(painter, at, picture); });
        QCOMPARE(actual, expected);
    }

    void labelDrawsAsQLabel_data()
    {
        QTest::addColumn<Look>("look");
        const QString words = QStringLiteral("Several words that wrap onto lines");
        QTest::newRow("left") << Look{words, Qt::AlignLeft | Qt::AlignVCenter, false, 0, {}, true};
        QTest::newRow("centre") << Look{words, Qt::AlignCenter, false, 0, {}, true};
        QTest::newRow("right top") << Look{words, Qt::AlignRight | Qt::AlignTop, false, 0, {}, true};
        QTest::newRow("wrapped") << Look{words, Qt::AlignLeft | Qt::AlignTop, true, 0, {}, true};
        QTest::newRow("wrapped centre") << Look{words, Qt::AlignCenter, true, 0, {}, true};
        QTest::newRow("margin") << Look{words, Qt::AlignLeft | Qt::AlignTop, true, 6, {}, true};
        QTest::newRow("contents margins") << Look{words, Qt::AlignRight | Qt::AlignBottom, false, 0, {8, 3, 12, 5}, true};
        QTest::newRow("disabled") << Look{words, Qt::AlignLeft, false, 0, {}, false};
        QTest::newRow("right to left") << Look{QStringLiteral("نص من اليمين"), Qt::AlignLeft | Qt::AlignVCenter, false, 0, {}, true};
        QTest::newRow("lines") << Look{QStringLiteral("first\nsecond"), Qt::AlignCenter, false, 0, {}, true};
    }

    void labelDrawsAsQLabel()
    {
        QFETCH(Look, look);
        TextLabel ours(look.text, 13, QFont::Normal, Color::white70());
        QLabel theirs(look.text);
        theirs.setFont(ours.font());
        theirs.setTextFormat(Qt::PlainText);
        theirs.setPalette(ours.palette());
        QPalette disabled = ours.palette();
        disabled.setColor(QPalette::Disabled, QPalette::WindowText, Color::white50());
        for (QLabel* label : {static_cast<QLabel*>(&ours), &theirs}) {
            label->setPalette(disabled);
            label->setAlignment(look.alignment);
            label->setWordWrap(look.wordWrap);
            label->setMargin(look.margin);
            label->setContentsMargins(look.contents);
            label->setEnabled(look.enabled);
            label->resize(150, 90);
        }
        // Text kept as a picture and then blended may round a channel one step apart.
        QVERIFY(largestDifference(picture(ours), picture(theirs)) <= 1);
    }

    void selectableTextKeepsItsShapedLines()
    {
        AIMessageBubble bubble(ChatMessage::make(ChatRole::assistant, "First line\nsecond line\n\nfourth line"));
        bubble.resize(300, bubble.heightForWidth(300));
        bubble.grab();
        auto* document = bubble.label()->findChild<QTextDocument*>();
        QVERIFY(document);
        QCOMPARE(document->blockCount(), 4);
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            QVERIFY2(block.layout()->cacheEnabled(), qPrintable(block.text()));
    }

    void fieldDrawsAsQLineEdit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("placeholder") << QString() << true;
        QTest::newRow("text") << QString("gpt-4o") << true;
        QTest::newRow("longer than the field") << QString("a model name far longer than the field is wide") << true;
        QTest::newRow("disabled") << QString("gpt-4o") << false;
    }

    void fieldDrawsAsQLineEdit()
    {
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        FieldLine ours;
        QLineEdit theirs;
        for (QLineEdit* field : {static_cast<QLineEdit*>(&ours), &theirs}) {
            FieldLook::apply(*field, 13, 8, 10, 8);
            field->setPlaceholderText("A placeholder longer than the field can show");
            field->setText(text);
            field->setEnabled(enabled);
            field->resize(160, 34);
        }
        picture(ours);
        QCoreApplication::processEvents();
        QVERIFY(largestDifference(picture(ours), picture(theirs)) <= 1);
    }

    void editorDrawsAsStyledEditor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("placeholder") << QString() << true;
        QTest::newRow("wrapped") << QString("You are helpful, clear and practical. Keep answers short.") << true;
        QTest::newRow("scrolls") << QString("One\nTwo\nThree\nFour\nFive\nSix") << true;
        QTest::newRow("disabled") << QString("Saved context") << false;
    }

    void editorDrawsAsStyledEditor()
    {
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        // Each on a dark window, as over the backdrop.
        QWidget ourWindow;
        QWidget theirWindow;
        auto* ours = new FieldEditor(12, 8, 8, &ourWindow);
        auto* theirs = new QPlainTextEdit(&theirWindow);
        theirs->setFrameShape(QFrame::NoFrame);
        theirs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        FieldLook::apply(*theirs, 12, 8, 8, 8);
        for (QWidget* window : {&ourWindow, &theirWindow}) {
            QPalette palette = window->palette();
            palette.setColor(QPalette::Window, QColor(20, 24, 48));
            window->setPalette(palette);
            window->setAutoFillBackground(true);
            window->resize(236, 76);
        }
        for (QPlainTextEdit* editor : {static_cast<QPlainTextEdit*>(ours), theirs}) {
            editor->setPlaceholderText("Notes the assistant keeps");
            editor->setPlainText(text);
            editor->setEnabled(enabled);
            editor->setGeometry(8, 8, 220, 60);
        }
        const QImage expected = picture(theirWindow);
        const QImage actual = picture(ourWindow);
        QCOMPARE(ours->viewport()->geometry(), theirs->viewport()->geometry());
        QVERIFY(largestDifference(actual, expected) <= 1);
    }

    void pickerDrawsAsQComboBox_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("placeholder");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("first") << 0 << QString() << true;
        QTest::newRow("second") << 1 << QString() << true;
        QTest::newRow("placeholder") << -1 << QString("Choose a game") << true;
        QTest::newRow("disabled") << 1 << QString() << false;
    }

    void pickerDrawsAsQComboBox()
    {
        QFETCH(int, index);
        QFETCH(QString, placeholder);
        QFETCH(bool, enabled);
        PickerBox ours;
        QComboBox theirs;
        for (QComboBox* picker : {static_cast<QComboBox*>(&ours), &theirs}) {
            picker->addItems({"Auto Detect", "A much longer game name than fits"});
            picker->setPlaceholderText(placeholder);
            picker->setCurrentIndex(index);
            picker->setEnabled(enabled);
            picker->resize(160, 28);
        }
        QVERIFY(largestDifference(picture(ours), picture(theirs)) <= 1);
    }
};

QM_TEST_MAIN(TestKeptPictures)
#include "tst_KeptPictures.moc"
