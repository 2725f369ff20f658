#include "DashboardFixture.h"
#include "FakePlatform.h"
#include "TestMain.h"
#include "app/AppScreen.h"
#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "app/ScreenCatalog.h"
#include "screens/menubar/PreviewCell.h"
#include "storage/SettingsStore.h"
#include "style/Color.h"
#include "style/OutlineButton.h"
#include "style/PlainButton.h"
#include "style/SymbolButton.h"
#include "style/SymbolTileButton.h"
#include "style/TextButton.h"
#include "style/TileButton.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>
#include <cmath>

namespace {

// WCAG 2 relative luminance and contrast, worked out here rather than taken from the code under test.
double luminance(QRgb rgb)
{
    const auto linear = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

QRgb blended(const QColor& top, const QColor& bottom)
{
    const double a = top.alphaF();
    const auto mix = [a](int t, int b) { return int(std::lround(t * a + b * (1 - a))); };
    return qRgb(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue()));
}

double contrast(const QColor& text, const QColor& surface)
{
    const double a = luminance(blended(text, surface));
    const double b = luminance(surface.rgb());
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The darkest and the lightest surface a card shows text on: a glass card where the backdrop is
// darkest, and over its lightest stop.
const QColor kDarkCard(0x1a, 0x1a, 0x2e);

// The brightest a glow of the backdrop makes it: the centre of the cyan glow, its colour at 40 %
// drawn at 60 % there, over the lightest stop.
const QColor kGlow =
    QColor::fromRgb(blended(Color::withOpacity(Color::neonCyan(), 0.4 * 0.6), Color::bgIndigo()));

// The surface a widget's text is drawn on: what each of its ancestors paints itself (a card's
// glass, a tile's fill), one over the other on the backdrop (its lightest stop unless given),
// under the widget's rectangle; the colour most of that picture has.
QColor surfaceUnder(const QWidget* widget, const QWidget* screen, const QColor& backdrop = Color::bgIndigo())
{
    QImage picture(widget->size(), QImage::Format_ARGB32);
    picture.fill(backdrop);
    QList<QWidget*> ancestors;
    for (QWidget* ancestor = widget->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        ancestors.prepend(ancestor);
        if (ancestor == screen)
            break;
    }
    for (QWidget* ancestor : ancestors)
        ancestor->render(&picture, QPoint(), QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size()), {});
    QHash<QRgb, int> counts;
    QRgb common = picture.pixel(0, 0);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (++counts[pixel] > counts[common])
                common = pixel;
        }
    }
    return QColor::fromRgb(common);
}

} // namespace

class TestTextLegibility : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;

private slots:
    void initTestCase()
    {
        m_platform = std::make_unique<FakePlatform>(m_dir.path());
        m_platform->completeSetup();
        DashboardFixture::fill(*m_platform);
        m_window = std::make_unique<MainWindow>(m_platform->services());
        ContentView& content = *m_window->contentView();
        content.screenServices().settingsStore->suspendWrites();
        DashboardFixture::preload(*m_platform, content.monitor(), content.networkMonitor());
    }
    void cleanupTestCase()
    {
        m_window.reset();
        m_platform.reset();
    }

    void cardSurfaceIsTheGlassOverTheBackdrop()
    {
        // White at 5 % over the material over the backdrop's indigo stop, to within a step.
        const QColor surface = Color::cardSurface();
        QVERIFY2(std::abs(surface.red() - 43) <= 1 && std::abs(surface.green() - 43) <= 1 &&
                     std::abs(surface.blue() - 70) <= 1,
                 qPrintable(surface.name()));
    }

    void paletteTextOnCards_data()
    {
        QTest::addColumn<QColor>("color");
        const QList<std::pair<const char*, QColor>> palette = {
            {"white95", Color::white95()},       {"white70", Color::white70()},
            {"white50", Color::white50()},       {"neonCyan", Color::neonCyan()},
            {"neonGreen", Color::neonGreen()},   {"neonPurple", Color::neonPurple()},
            {"systemOrange", Color::systemOrange()}, {"systemRed", Color::systemRed()},
            {"systemYellow", Color::systemYellow()}, {"systemBlue", Color::systemBlue()},
            {"systemPink", Color::systemPink()}, {"systemGray", Color::systemGray()},
            {"cbBlue", Color::cbBlue()},         {"cbOrange", Color::cbOrange()},
            {"cbMagenta", Color::cbMagenta()},   {"cbCyan", Color::cbCyan()},
            {"red at 0.8", Color::withOpacity(Color::systemRed(), 0.8)},
            {"white at 0.3", Color::withOpacity(Qt::white, 0.3)}};
        for (const auto& [name, color] : palette)
            QTest::newRow(name) << color;
    }
    // Every palette colour, as text on a card, reads at 4.5 : 1 on the card's lighter and darker
    // surfaces, keeps its hue, and is left as it is where it already reads.
    void paletteTextOnCards()
    {
        QFETCH(QColor, color);
        const QColor text = Color::onCard(color);
        for (const QColor& surface : {Color::cardSurface(), kDarkCard})
            QVERIFY2(contrast(text, surface) >= 4.5,
                     qPrintable(QString("%1 on %2: %3").arg(text.name(QColor::HexArgb), surface.name())
                                    .arg(contrast(text, surface))));
        if (color.hsvSaturation() > 0 && text.hsvSaturation() > 0)
            QVERIFY2(std::abs(text.hsvHue() - color.hsvHue()) <= 2, qPrintable(text.name()));
        if (contrast(color, Color::cardSurface()) >= 4.5)
            QCOMPARE(text, color);
        else
            QVERIFY(luminance(blended(text, Color::cardSurface())) > luminance(blended(color, Color::cardSurface())));
    }

    void paletteTextOnPaper_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QColor>("tint"); // the tile's fill under the text, at 10 %
        for (const char* hex : {"00D4FF", "7B2FFF", "00FF88", "FF6B6B", "8E8E93"}) {
            QTest::newRow(qPrintable(QString(hex) + " on white")) << Color::fromHex(hex) << QColor(Qt::white);
            QTest::newRow(qPrintable(QString(hex) + " on its tile")) << Color::fromHex(hex) << Color::fromHex(hex);
        }
    }
    // The report's coloured texts on its white page (and its tiles' faint tints of the same colour)
    // read at 4.5 : 1 and are darker shades of the same hue.
    void paletteTextOnPaper()
    {
        QFETCH(QColor, color);
        QFETCH(QColor, tint);
        const QColor paper = QColor::fromRgb(blended(Color::withOpacity(tint, 0.1), Qt::white));
        const QColor text = Color::readableOn(color, paper);
        QVERIFY2(contrast(text, paper) >= 4.5, qPrintable(QString("%1: %2").arg(text.name()).arg(contrast(text, paper))));
        QVERIFY(luminance(text.rgb()) <= luminance(color.rgb()));
        if (color.hsvSaturation() > 0)
            QVERIFY2(std::abs(text.hsvHue() - color.hsvHue()) <= 2, qPrintable(text.name()));
    }

    void everyScreenReadsOnItsCards_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<bool>("colorBlind");
        for (const AppScreen screen : AppScreens::allCases()) {
            for (const bool colorBlind : {false, true}) {
                QTest::newRow(qPrintable(AppScreens::rawValue(screen) + (colorBlind ? ", colour-blind" : "")))
                    << int(screen) << colorBlind;
            }
        }
    }
    // Each text a screen shows at the smallest window: at least 10 px, and light text at 4.5 : 1 on
    // the surface under it, a card or a tile within one (dark text sits on a light fill of its own).
    void everyScreenReadsOnItsCards()
    {
        QFETCH(int, screen);
        QFETCH(bool, colorBlind);
        ContentView& content = *m_window->contentView();
        content.screenServices().settingsStore->setColorBlindMode(colorBlind);

        std::unique_ptr<QWidget> view(ScreenCatalog::create(AppScreen(screen), content.screenServices()));
        view->resize(1000, 650);
        view->show();
        QCoreApplication::processEvents();

        QStringList faults;
        const auto check = [&](QWidget* widget, const QString& text, const QColor& color,
                               const QColor& fill = Qt::transparent) {
            if (text.trimmed().isEmpty() || !widget->isVisibleTo(view.get()))
                return;
            const int pixels = widget->font().pixelSize();
            if (pixels > 0 && pixels < 10)
                faults.append(QString("\"%1\" at %2 px").arg(text.left(40)).arg(pixels));
            const QColor surface = QColor::fromRgb(blended(fill, surfaceUnder(widget, view.get())));
            if (luminance(blended(color, surface)) <= luminance(surface.rgb()))
                return;
            const double ratio = contrast(color, surface);
            if (ratio < 4.5)
                faults.append(QString("\"%1\" in %2 on %3: %4")
                                  .arg(text.left(40), color.name(QColor::HexArgb), surface.name())
                                  .arg(ratio, 0, 'f', 2));
        };
        for (QLabel* label : view->findChildren<QLabel*>())
            check(label, label->text(), label->palette().color(QPalette::WindowText));
        for (PlainButton* button : view->findChildren<PlainButton*>())
            check(button, button->text(), button->textColor(), button->fill());
        for (TextButton* button : view->findChildren<TextButton*>())
            check(button, button->text(), button->color());
        for (OutlineButton* button : view->findChildren<OutlineButton*>())
            check(button, button->text(), button->color(), Color::white10b());
        // A button that is only a symbol says in a tooltip what it does.
        QList<QAbstractButton*> symbolButtons;
        for (SymbolButton* button : view->findChildren<SymbolButton*>())
            symbolButtons.append(button);
        for (SymbolTileButton* button : view->findChildren<SymbolTileButton*>())
            symbolButtons.append(button);
        for (QAbstractButton* button : symbolButtons) {
            if (button->isVisibleTo(view.get()) && button->toolTip().isEmpty())
                faults.append(QString("symbol button %1 (%2 in %3) has no tooltip")
                                  .arg(button->objectName(), button->metaObject()->className(),
                                       button->parentWidget()->metaObject()->className()));
        }
        view.reset();
        content.screenServices().settingsStore->setColorBlindMode(false);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n")));
    }

    void paintedAndGlowLitTexts_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QString>("holders"); // the object names of the widgets holding the texts
        QTest::addColumn<QColor>("reading");  // the colour a preview cell shows its reading in
        QTest::addColumn<QColor>("backdrop");
        QTest::newRow("DNS tiles' names and addresses")
            << int(AppScreen::optimizers) << "^provider:" << QColor() << Color::bgIndigo();
        const QList<std::pair<const char*, QColor>> readings = {
            {"calm", Color::neonGreen()},
            {"busy", Color::systemRed()},
            {"calm, colour-blind", Color::cbBlue()},
            {"busy, colour-blind", Color::cbMagenta()},
            {"limit or fan", Color::neonCyan()},
            {"off", Color::white50()}};
        for (const auto& [name, color] : readings) {
            QTest::newRow(qPrintable(QString("Menu Bar preview over the glow, ") + name))
                << int(AppScreen::menuBar) << "Cell$" << color << kGlow;
        }
    }
    // Texts a tile paints itself, and texts where a glow of the backdrop shines through the card,
    // read at 4.5 : 1 on what is under them.
    void paintedAndGlowLitTexts()
    {
        QFETCH(int, screen);
        QFETCH(QString, holders);
        QFETCH(QColor, reading);
        QFETCH(QColor, backdrop);
        ContentView& content = *m_window->contentView();
        std::unique_ptr<QWidget> view(ScreenCatalog::create(AppScreen(screen), content.screenServices()));
        view->resize(1000, 650);
        view->show();
        QCoreApplication::processEvents();

        QStringList faults;
        int texts = 0;
        const auto check = [&](const QWidget* widget, const QString& text, const QColor& color,
                               const QColor& fill) {
            ++texts;
            const QColor surface = QColor::fromRgb(blended(fill, surfaceUnder(widget, view.get(), backdrop)));
            if (const double ratio = contrast(color, surface); ratio < 4.5)
                faults.append(QString("\"%1\" in %2 on %3: %4")
                                  .arg(text, color.name(QColor::HexArgb), surface.name())
                                  .arg(ratio, 0, 'f', 2));
        };
        for (QWidget* holder : view->findChildren<QWidget*>(QRegularExpression(holders))) {
            if (auto* cell = qobject_cast<PreviewCell*>(holder))
                cell->setReading("88%", reading);
            if (auto* tile = qobject_cast<TileButton*>(holder)) {
                for (const TileButton::Item& item : tile->items()) {
                    if (!item.text.isEmpty())
                        check(tile, item.text, item.color, Color::white10b());
                }
            }
            for (QLabel* label : holder->findChildren<QLabel*>())
                check(label, label->text(), label->palette().color(QPalette::WindowText), Qt::transparent);
        }
        view.reset();
        QVERIFY(texts > 0);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n")));
    }
};

QM_TEST_MAIN(TestTextLegibility)
#include "tst_TextLegibility.moc"
