#include "TestMain.h"
#include "style/AppStyle.h"
#include "style/Fonts.h"
#include "style/Symbols.h"

#include <QGuiApplication>

class TestAppStyle : public QObject {
    Q_OBJECT
private slots:
    // Adding a font to the database drops every font loaded so far; once the style is in place,
    // drawing text and the first icon adds none, so no font is loaded twice.
    void fontsAreInPlaceOnceTheStyleIs()
    {
        AppStyle::install();
        QSignalSpy changes(qGuiApp, &QGuiApplication::fontDatabaseChanged);
        QFontMetrics(Fonts::ui(13, QFont::Bold)).horizontalAdvance("Dashboard");
        QVERIFY(!Symbols::path("bolt.fill", 16).isEmpty());
        QCOMPARE(changes.size(), 0);
    }
};

QM_TEST_MAIN(TestAppStyle)
#include "tst_AppStyle.moc"
