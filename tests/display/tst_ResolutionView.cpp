#include "DisplayFixture.h"
#include "FakeDisplayModes.h"
#include "TestMain.h"
#include "screens/display/DisplayModeRow.h"
#include "screens/display/ResolutionModel.h"
#include "screens/display/ResolutionView.h"
#include "screens/display/RestoreButton.h"
#include "style/Color.h"
#include "style/SymbolButton.h"
#include "style/TextLabel.h"

#include <QMessageBox>
#include <QPushButton>

class TestResolutionView : public QObject {
    Q_OBJECT
private:
    std::shared_ptr<FakeDisplayModes> m_display;
    std::unique_ptr<ResolutionView> m_view;

    template <typename T = TextLabel>
    T* child(const QString& name) const { return m_view->findChild<T*>(name); }

    QList<DisplayModeRow*> rows() const { return m_view->findChildren<DisplayModeRow*>("modeRow"); }

    QStringList rowLabels() const
    {
        QStringList labels;
        for (DisplayModeRow* row : rows())
            labels.append(row->findChild<TextLabel*>("modeLabel")->text());
        return labels;
    }

    void show()
    {
        m_view = std::make_unique<ResolutionView>(m_display);
        m_view->resize(1000, 650);
        m_view->show();
    }

private slots:
    void init()
    {
        m_display = std::make_shared<FakeDisplayModes>();
        DisplayFixture::fill(*m_display);
    }
    void cleanup()
    {
        m_display->release();
        m_view.reset();
    }

    void showsTheDisplayAndItsModes()
    {
        show();
        QCOMPARE(child("currentResolution")->text(), "2560 x 1600");
        QCOMPARE(child("currentRefreshRate")->text(), "60 Hz");
        QCOMPARE(child("modeCount")->text(), "6 modes");
        QCOMPARE(rowLabels(), (QStringList{"2560 x 1600 @ 60Hz", "1920 x 1200 @ 120Hz", "1680 x 1050 @ 60Hz",
                                           "1440 x 900 @ 60Hz", "1280 x 800 @ 60Hz", "1024 x 640 @ 60Hz"}));
        QVERIFY(rows().first()->findChild<QWidget*>("currentBadge"));
        QCOMPARE(rows().first()->findChild<TextLabel*>("modeLabel")->color(), Color::neonCyan());
        QVERIFY(!rows().at(1)->findChild<QWidget*>("currentBadge"));
        QVERIFY(child<RestoreButton>("restoreButton")->isVisible());
        QVERIFY(!child("noDisplay")->isVisible());
        QVERIFY(!child("statusMessage")->isVisible());
    }

    void withoutADisplay()
    {
        m_display->modes.reset();
        m_display->current.reset();
        show();
        QVERIFY(child("noDisplay")->isVisible());
        QVERIFY(child("noModes")->isVisible());
        QCOMPARE(child("modeCount")->text(), "0 modes");
        QVERIFY(!child<RestoreButton>("restoreButton")->isVisible());
    }

    void applyingDisablesRowsAndRestoreButNotRefresh_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QColor>("color");
        QTest::newRow("success") << 0 << "Resolution changed to 1920 x 1200 @ 120Hz" << Color::neonGreen();
        QTest::newRow("failure") << 1 << "Failed to change resolution" << Color::onCard(Color::systemRed());
    }
    void applyingDisablesRowsAndRestoreButNotRefresh()
    {
        QFETCH(int, result);
        QFETCH(QString, message);
        QFETCH(QColor, color);
        m_display->switchResult = result;
        m_display->holdSwitches = true;
        show();
        QTest::mouseClick(rows().at(1), Qt::LeftButton);
        QTRY_VERIFY(child<QWidget>("applyingIndicator")->isVisible());
        for (DisplayModeRow* row : rows())
            QVERIFY(!row->isEnabled());
        QVERIFY(!child<RestoreButton>("restoreButton")->isEnabled());
        QVERIFY(child<SymbolButton>("refreshButton")->isEnabled());
        QVERIFY(!child("statusMessage")->isVisible());
        QVERIFY(rows().at(1)->isSelected());

        QTest::mouseClick(rows().at(2), Qt::LeftButton);
        m_display->release();
        QTRY_VERIFY(!child<QWidget>("applyingIndicator")->isVisible());
        QCOMPARE(m_display->switchedModes().size(), 1);
        QCOMPARE(child("statusMessage")->text(), message);
        QCOMPARE(child("statusMessage")->color(), color);
        QVERIFY(rows().at(1)->isEnabled());
        // Only a failed change keeps the chosen row's panel; a success lists the modes anew.
        QCOMPARE(rows().at(1)->isSelected(), result != 0);
    }

    void restoreAsksFirst()
    {
        m_display->modes->append({9, 3200, 2000, 60, false});
        show();
        QTest::mouseClick(child<RestoreButton>("restoreButton"), Qt::LeftButton);
        auto* confirm = m_view->findChild<QMessageBox*>("restoreConfirm");
        QVERIFY(confirm);
        QCOMPARE(confirm->text(), "Restore Default Resolution?");
        QCOMPARE(confirm->informativeText(), "Your display will revert to the highest available resolution.");
        confirm->findChild<QPushButton*>("cancelRestore")->click();
        QVERIFY(m_display->switchedModes().isEmpty());

        QTest::mouseClick(child<RestoreButton>("restoreButton"), Qt::LeftButton);
        m_view->findChild<QMessageBox*>("restoreConfirm")->findChild<QPushButton*>("confirmRestore")->click();
        QTRY_COMPARE(child("statusMessage")->text(), "Restored default resolution");
        QCOMPARE(m_display->switchedModes().value(0).id, quint64(9));
        QCOMPARE(child("currentResolution")->text(), "3200 x 2000");
    }
};

QM_TEST_MAIN(TestResolutionView)
#include "tst_ResolutionView.moc"
