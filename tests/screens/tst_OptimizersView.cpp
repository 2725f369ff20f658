#include "OptimizerFixture.h"
#include "TestMain.h"
#include "screens/optimizers/AutoHealSection.h"
#include "screens/optimizers/Backdrop.h"
#include "screens/optimizers/BoostActionRow.h"
#include "screens/optimizers/BoostResultPopup.h"
#include "screens/optimizers/DNSSection.h"
#include "screens/optimizers/GameModeSection.h"
#include "screens/optimizers/OptimizationReportView.h"
#include "screens/optimizers/OptimizerButton.h"
#include "screens/optimizers/OptimizersView.h"
#include "screens/optimizers/QuickBoostSection.h"
#include "screens/optimizers/SystemToolsSection.h"
#include "style/AppStyle.h"
#include "style/Color.h"
#include "style/FocusRing.h"
#include "style/KeyboardFocus.h"
#include "style/OutlineButton.h"
#include "style/TextButton.h"
#include "style/TextLabel.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>
#include <algorithm>
#include <clocale>
#include <memory>

namespace {

using namespace std::chrono_literals;
using Action = QuickBoostResult::QuickBoostAction;

// Clears that never come by themselves: the tests fire them.
constexpr auto kNeverByItself = std::chrono::hours(1);
const QString kPurge = "/usr/sbin/purge";

// The screen over an optimizer of fakes, shown at the size the window gives it at its smallest.
struct Screen {
    OptimizerFixture f;
    std::unique_ptr<OptimizersView> view = std::make_unique<OptimizersView>(f.optimizer, nullptr, kNeverByItself);

    Screen()
    {
        view->resize(820, 560);
        view->show();
    }
    template <typename T = QWidget>
    T* child(const QString& name) const
    {
        T* found = view->findChild<T*>(name);
        if (!found)
            qFatal("no child %s", qPrintable(name));
        return found;
    }
    void click(const QString& name) const { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    TextLabel* label(const QString& name) const { return child<TextLabel>(name); }
    // The pending clear of a card, started now.
    QList<QTimer*> clears(const QString& name) const { return f.optimizer.findChildren<QTimer*>(name); }
    static void fire(QTimer* clear) { clear->start(0); }
};

// A Mac whose active service is "Wi-Fi" and whose resolvers answer.
void scriptNetwork(FakeProcessRunner& runner)
{
    runner.respond("/usr/sbin/route", {"-n", "get", "default"}, ProcessResult::exited(0, "  interface: en0\n"));
    runner.respond("/usr/sbin/networksetup", {"-listnetworkserviceorder"},
                   ProcessResult::exited(0, "(1) Wi-Fi\n(Hardware Port: Wi-Fi, Device: en0)\n"));
    runner.respond("/usr/bin/dig", ProcessResult::exited(0, "17.253.144.10\n"));
    runner.respond("/usr/sbin/networksetup", {"-getdnsservers", "Wi-Fi"}, ProcessResult::exited(0, "1.1.1.1\n"));
}

} // namespace

class TestOptimizersView : public QObject {
    Q_OBJECT
private slots:
    void fiveCardsInOrderInAScrollingColumn()
    {
        Screen s;
        QList<QWidget*> cards{s.view->quickBoost(), s.view->gameMode(), s.view->autoHeal(), s.view->systemTools(),
                              s.view->dns()};
        QVERIFY(std::is_sorted(cards.cbegin(), cards.cend(),
                               [](QWidget* a, QWidget* b) { return a->geometry().bottom() < b->geometry().top(); }));
        QTRY_VERIFY(s.view->verticalScrollBar()->isVisible());
        QVERIFY(s.view->verticalScrollBar()->maximum() > 0);
        s.view->ensureWidgetVisible(s.view->dns());
        QVERIFY(s.view->verticalScrollBar()->value() > 0);
    }

    void boostRunsOnceAndItsResultStaysUntilDone()
    {
        Screen s;
        QuickBoostSection* card = s.view->quickBoost();
        s.f.runner.respond("/usr/bin/dscacheutil", ProcessResult::exited(0));
        s.click("boostButton");
        QVERIFY(card->isBoosting());
        QVERIFY(!card->boostButton()->isEnabled());
        QVERIFY(card->boostButton()->isBusy());
        card->startBoost();
        QTRY_VERIFY(card->showResult());
        QVERIFY(!card->isBoosting());
        QVERIFY(card->boostButton()->isEnabled());
        QCOMPARE(s.f.runner.commandLines().count("/usr/bin/dscacheutil -flushcache"), 1);
        QCOMPARE(card->popup()->result().actions.size(), 3);

        // The backdrop covers the button and swallows the click.
        const QPoint button = card->boostButton()->geometry().center();
        QVERIFY(card->backdrop()->isAncestorOf(card->childAt(button)));
        QTest::mouseClick(card->backdrop(), Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(card->showResult());
        QCOMPARE(s.f.runner.commandLines().count("/usr/bin/dscacheutil -flushcache"), 1);

        QTest::mouseClick(card->popup()->doneButton(), Qt::LeftButton);
        QVERIFY(!card->showResult());
        QVERIFY(!card->result());
        QCOMPARE(card->childAt(button), card->boostButton());
    }

    void pressedButtonKeepsTheFocus_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("result"); // the control the result puts the focus on, if any
        QTest::newRow("Boost Now") << "boostButton" << "doneButton";
        QTest::newRow("Enable Game Mode") << "gameModeButton" << "";
        QTest::newRow("Reset to Default (DHCP)") << "resetDNSButton" << "";
    }

    // Pressed from the keyboard, a button keeps the focus, and the ring, while it works and after;
    // the boost's pop-up takes the focus while it covers the button and gives it back on "Done".
    void pressedButtonKeepsTheFocus()
    {
        QFETCH(QString, button);
        QFETCH(QString, result);
        AppStyle::install();
        Screen s;
        scriptNetwork(s.f.runner);
        s.f.runner.respond("/usr/bin/dscacheutil", ProcessResult::exited(0));
        QApplication::setActiveWindow(s.view.get());
        QVERIFY(QTest::qWaitForWindowActive(s.view.get()));
        auto* pressed = s.child<QAbstractButton>(button);
        pressed->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pressed, Qt::Key_Space);
        QTRY_VERIFY(pressed->isEnabled());
        QWidget* expected = pressed;
        if (!result.isEmpty()) {
            QTRY_VERIFY(s.view->quickBoost()->popup());
            expected = s.view->quickBoost()->popup()->doneButton();
        }
        QCOMPARE(QApplication::focusWidget(), expected);
        QTRY_VERIFY(KeyboardFocus::ring() && KeyboardFocus::ring()->target() == expected);
        if (!result.isEmpty()) {
            QTest::keyClick(expected, Qt::Key_Return);
            QVERIFY(!s.view->quickBoost()->showResult());
            QCOMPARE(QApplication::focusWidget(), pressed);
        }
    }

    void popupShowsTheRecordAsReturned_data()
    {
        QTest::addColumn<double>("freed");
        QTest::addColumn<QList<bool>>("successes");
        QTest::addColumn<QString>("freedText"); // "" when hidden
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("mark");
        QTest::newRow("nothing freed, one step failed")
            << 0.0 << QList<bool>{true, true, false} << "" << "Quick Boost Partly Complete"
            << "exclamationmark.triangle.fill";
        QTest::newRow("memory freed, all done")
            << 1.456 << QList<bool>{true, true, true} << "1.46 GB Freed" << "Quick Boost Complete"
            << "checkmark.circle.fill";
        QTest::newRow("a trace freed, every step failed")
            << 0.004 << QList<bool>{false, false} << "0.00 GB Freed" << "Quick Boost Failed" << "xmark.circle.fill";
        QTest::newRow("first step failed, the rest done")
            << 0.0 << QList<bool>{false, true, true} << "" << "Quick Boost Partly Complete"
            << "exclamationmark.triangle.fill";
    }
    void popupShowsTheRecordAsReturned()
    {
        QFETCH(double, freed);
        QFETCH(QList<bool>, successes);
        QuickBoostResult result{freed, {}};
        for (int i = 0; i < successes.size(); ++i)
            result.actions.append(Action{.icon = "memorychip", .label = "step " + QString::number(i), .success = successes[i]});
        int dismissed = 0;
        BoostResultPopup popup(result, [&dismissed] { ++dismissed; });
        popup.show();
        QVERIFY(popup.animate());

        auto* freedLabel = popup.findChild<TextLabel*>("ramFreed");
        QTEST(freedLabel ? freedLabel->text() : QString(), "freedText");
        QTEST(popup.title(), "title");
        QTEST(popup.symbol(), "mark");
        QStringList texts;
        for (const TextLabel* label : popup.findChildren<TextLabel*>())
            texts.append(label->text());
        QVERIFY2(texts.contains(popup.title()), qPrintable(texts.join(", ")));
        const bool allDone = !successes.contains(false);
        QCOMPARE(popup.markColor() == Color::neonCyan(), allDone);
        QCOMPARE(popup.rows().size(), successes.size());
        for (int i = 0; i < successes.size(); ++i) {
            BoostActionRow* row = popup.rows()[i];
            QCOMPARE(row->label(), "step " + QString::number(i));
            QCOMPARE(row->symbol(), successes[i] ? "checkmark.circle.fill" : "xmark.circle.fill");
            QCOMPARE(row->markColor(), successes[i] ? Color::neonCyan() : Color::systemRed());
        }
        QTest::mouseClick(popup.doneButton(), Qt::LeftButton);
        QCOMPARE(dismissed, 1);
    }

    void pickerFollowsDetectionAndThePickedGameIsRaised()
    {
        Screen s;
        auto* picker = s.child<QComboBox>("gamePicker");
        QCOMPARE(picker->count(), 1);
        QCOMPARE(picker->currentText(), QString("Auto Detect"));
        s.f.processes.setPrivileged(true);
        s.f.run({app(21, "Minecraft"), app(22, "Steam"), app(23, "Notes")});
        s.click("refreshGamesButton");
        QTRY_COMPARE(picker->count(), 3);
        QCOMPARE(picker->itemText(2), QString("Steam"));

        picker->setCurrentIndex(2);
        emit picker->activated(2);
        QCOMPARE(s.view->gameMode()->selectedGamePID(), std::optional<qint32>(22));
        s.click("gameModeButton");
        QCOMPARE(s.f.processes.niceOf(22), SystemOptimizer::gamePriority);
        QCOMPARE(s.f.processes.niceOf(21), 0);
        QVERIFY(s.view->gameMode()->resultMessage().contains("Raised priority for Steam"));
        QCOMPARE(s.child<QAbstractButton>("gameModeButton")->text(), QString("Disable Game Mode"));

        // Off again, whatever is picked; the priority is put back.
        picker->setCurrentIndex(0);
        emit picker->activated(0);
        s.click("gameModeButton");
        QCOMPARE(s.f.processes.niceOf(22), 0);
        QVERIFY(s.view->gameMode()->resultMessage().endsWith("Game Mode disabled"));
        QCOMPARE(s.child<QAbstractButton>("gameModeButton")->text(), QString("Enable Game Mode"));
    }

    void resultLineIsRedOnlyWhenSomethingFailed_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("red");
        QTest::newRow("steps") << "Prevented display sleep during gameplay, Lowered priority for Discord" << false;
        QTest::newRow("failed") << "Mute failed" << true;
        QTest::newRow("Failed is not failed") << "Failed to mute" << false;
        QTest::newRow("inside a word") << "unfailedness" << true;
    }
    void resultLineIsRedOnlyWhenSomethingFailed()
    {
        QFETCH(QString, message);
        QTEST(GameModeSection::isFailure(message), "red");
    }

    void enablingThatChangesNothingSaysSoInRed()
    {
        Screen s;
        s.f.runner.setHeldStartFails(true);
        s.f.scripts.setFailure("no sound server");
        s.click("gameModeButton");
        TextLabel* line = s.label("gameModeMessage");
        QVERIFY(line->isVisibleTo(s.view.get()));
        QVERIFY(line->text().contains("failed"));
        QCOMPARE(line->color(), Color::onCard(Color::systemRed()));
        QVERIFY(!s.f.optimizer.gameModeEnabled());
    }

    void eachCardShowsOnlyItsReports_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("onGameMode");
        QTest::addColumn<bool>("onSystemTools");
        QTest::newRow("Game Mode enabled") << "Game Mode enabled" << true << false;
        QTest::newRow("Game Mode disabled") << "Game Mode disabled" << true << false;
        QTest::newRow("Purge RAM") << "Purge RAM" << false << true;
        QTest::newRow("case counts") << "purge ram, game mode" << false << false;
    }
    void eachCardShowsOnlyItsReports()
    {
        QFETCH(QString, title);
        Screen s;
        s.f.optimizer.setLastOptimizationReport(OptimizationReport{title, {"one step"}, std::nullopt});
        QTEST(s.child("gameModeReport")->isVisibleTo(s.view.get()), "onGameMode");
        QTEST(s.child("toolsReport")->isVisibleTo(s.view.get()), "onSystemTools");
        s.f.optimizer.setLastOptimizationReport(std::nullopt);
        QVERIFY(!s.child("gameModeReport")->isVisibleTo(s.view.get()));
        QVERIFY(!s.child("toolsReport")->isVisibleTo(s.view.get()));
    }

    void aNewerResultRestartsTheCardsOneClear()
    {
        Screen s;
        s.click("gameModeButton");
        s.click("gameModeButton");
        QCOMPARE(s.clears("gameModeClear").size(), 1);
        QVERIFY(s.view->gameMode()->resultMessage().endsWith("Game Mode disabled"));
        Screen::fire(s.clears("gameModeClear").first());
        QTRY_VERIFY(s.view->gameMode()->resultMessage().isEmpty());
        QVERIFY(!s.label("gameModeMessage")->isVisibleTo(s.view.get()));
        QVERIFY(!s.f.optimizer.lastOptimizationReport());
        QTRY_VERIFY(s.clears("gameModeClear").isEmpty());
    }

    void aClearLeavesAnotherCardsReport()
    {
        Screen s;
        s.f.runner.respond(kPurge, ProcessResult::exited(0));
        s.click("tool:Purge RAM");
        QTRY_COMPARE(s.view->systemTools()->statusMessage(), QString("Memory already optimized"));
        QCOMPARE(s.f.optimizer.lastOptimizationReport()->title, QString("Purge RAM"));

        s.click("gameModeButton");
        const auto gameModeReport = s.f.optimizer.lastOptimizationReport();
        QCOMPARE(gameModeReport->title, QString("Game Mode enabled"));
        Screen::fire(s.clears("systemToolsClear").first());
        QTRY_VERIFY(s.view->systemTools()->statusMessage().isEmpty());
        QCOMPARE(s.f.optimizer.lastOptimizationReport(), gameModeReport);
        QVERIFY(!s.view->gameMode()->resultMessage().isEmpty());

        // A purge report published after a Game Mode result is not the Game Mode clear's either.
        s.click("tool:Purge RAM");
        QTRY_VERIFY(!s.view->systemTools()->statusMessage().isEmpty());
        Screen::fire(s.clears("gameModeClear").first());
        QTRY_VERIFY(s.view->gameMode()->resultMessage().isEmpty());
        QCOMPARE(s.f.optimizer.lastOptimizationReport()->title, QString("Purge RAM"));
    }

    void closingTheScreenDropsPendingResultsButNotTheReportClear()
    {
        Screen s;
        s.click("gameModeButton");
        s.click("boostButton");
        s.view->systemTools()->applyToolResult(true, "x");
        QCOMPARE(s.clears("systemToolsClear").size(), 1);
        QPointer<QuickBoostSection> card = s.view->quickBoost();
        s.view.reset();
        OptimizerFixture::settle();
        QCoreApplication::processEvents();
        QVERIFY(!card);
        QCOMPARE(s.f.optimizer.lastOptimizationReport()->title, QString("Game Mode enabled"));
        Screen::fire(s.clears("gameModeClear").first());
        Screen::fire(s.clears("systemToolsClear").first());
        QTRY_VERIFY(!s.f.optimizer.lastOptimizationReport());
    }

    void autoHealStatus_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QColor>("color");
        QTest::newRow("monitoring") << "Monitoring\u2026" << Color::neonGreen();
        QTest::newRow("healed") << "Healed: 0.42 GB freed" << Color::neonGreen();
        QTest::newRow("purge failed") << "Purge command failed: No such file or directory" << Color::onCard(Color::systemRed());
        QTest::newRow("not permitted") << "Purge command was not permitted on this computer." << Color::onCard(Color::systemRed());
    }
    void autoHealStatus()
    {
        QFETCH(QString, message);
        QTEST(AutoHealSection::statusColor(message), "color");
    }

    void autoHealSwitchAndStatusFollowTheOptimizer()
    {
        Screen s;
        QWidget* status = s.child("autoHealStatus");
        QVERIFY(!status->isVisibleTo(s.view.get()));
        s.f.setFreeMemory(1.0); // below the threshold, and the purge tool is missing here
        s.click("autoHealSwitch");
        QVERIFY(s.f.optimizer.autoHealEnabled());
        QVERIFY(status->isVisibleTo(s.view.get()));
        QTRY_VERIFY(s.label("autoHealMessage")->text().startsWith("Purge command failed"));
        QCOMPARE(s.label("autoHealMessage")->color(), Color::onCard(Color::systemRed()));

        s.click("autoHealSwitch");
        QVERIFY(!s.f.optimizer.autoHealEnabled());
        QVERIFY(!status->isVisibleTo(s.view.get()));
        QVERIFY(!s.f.optimizer.autoHealMessage().isEmpty());
    }

    void toolTilesAskForTheOppositeOfWhatIsOn_data()
    {
        QTest::addColumn<QString>("tile");
        QTest::addColumn<QString>("flag"); // the optimizer's property the tile follows; "" for none
        QTest::addColumn<QStringList>("requests"); // what two taps asked of the system, each kind once
        const QString mute = AppleScriptRunner::muteOutputScript, unmute = AppleScriptRunner::unmuteOutputScript;
        QTest::newRow("Anti Shut") << "Anti Shut" << "antiShutEnabled" << QStringList{"/usr/bin/caffeinate -d"};
        QTest::newRow("Focus Mode") << "Focus Mode" << "focusModeEnabled" << QStringList{mute, unmute};
        QTest::newRow("Metal HUD") << "Metal HUD" << "metalHUDEnabled"
                                   << QStringList{"/usr/bin/defaults write", "/usr/bin/defaults delete"};
        QTest::newRow("Purge RAM") << "Purge RAM" << "" << QStringList{"/usr/sbin/purge"};
    }
    void toolTilesAskForTheOppositeOfWhatIsOn()
    {
        QFETCH(QString, tile);
        QFETCH(QString, flag);
        Screen s;
        s.f.runner.respond("/usr/bin/defaults", ProcessResult::exited(0));
        s.f.runner.respond(kPurge, ProcessResult::exited(0));
        auto* button = s.child<OptimizerButton>("tool:" + tile);
        OptimizerFixture::settle();
        const qsizetype shown = s.f.runner.calls().size(); // what showing the screen read
        for (int tap = 0; tap < 2; ++tap) {
            const bool wasOn = !flag.isEmpty() && s.f.optimizer.property(qPrintable(flag)).toBool();
            QTest::mouseClick(button, Qt::LeftButton);
            OptimizerFixture::settle();
            if (!flag.isEmpty()) {
                QTRY_COMPARE(s.f.optimizer.property(qPrintable(flag)).toBool(), !wasOn);
                QCOMPARE(button->isActive(), !wasOn);
            }
        }
        QStringList requests;
        for (const FakeProcessRunner::Call& call : s.f.runner.heldStarts())
            requests.append(call.commandLine());
        requests += s.f.scripts.sources();
        for (const FakeProcessRunner::Call& call : s.f.runner.calls().mid(shown))
            requests.append(call.program + (call.arguments.isEmpty() ? QString() : ' ' + call.arguments.first()));
        requests.removeDuplicates();
        QTEST(requests, "requests");
        QVERIFY(!button->isActive() || flag.isEmpty());
        if (flag == "antiShutEnabled")
            QVERIFY(!s.f.optimizer.keepAwakeExpiry());
    }

    void toolResultsShowInGreenOrRed_data()
    {
        QTest::addColumn<QString>("tile");
        QTest::addColumn<bool>("toolRuns"); // the tile's helper can be started
        QTest::addColumn<QString>("message"); // its beginning
        QTest::addColumn<QColor>("color");
        QTest::addColumn<bool>("tileLit");
        // After the result: "pressed again" with the helper starting now, or "switched on" elsewhere.
        QTest::addColumn<QString>("then");
        QTest::newRow("purge missing") << "Purge RAM" << false << "Purge command failed: No such file or directory"
                                       << Color::onCard(Color::systemRed()) << false << "";
        QTest::newRow("purge ran") << "Purge RAM" << true << "Memory already optimized" << Color::neonGreen() << false
                                   << "";
        QTest::newRow("keep-awake refused")
            << "Anti Shut" << false << "Could not switch Anti Shut on: caffeinate could not be started"
            << Color::onCard(Color::systemRed()) << false << "";
        QTest::newRow("keep-awake refused, then granted on the next press")
            << "Anti Shut" << false << "Could not switch Anti Shut on: caffeinate could not be started"
            << Color::onCard(Color::systemRed()) << false << "pressed again";
        QTest::newRow("keep-awake refused, then switched on by a profile")
            << "Anti Shut" << false << "Could not switch Anti Shut on: caffeinate could not be started"
            << Color::onCard(Color::systemRed()) << false << "switched on";
        QTest::newRow("purge result stays when keep-awake is switched on")
            << "Purge RAM" << true << "Memory already optimized" << Color::neonGreen() << false << "switched on";
    }
    void toolResultsShowInGreenOrRed()
    {
        QFETCH(QString, tile);
        QFETCH(bool, toolRuns);
        QFETCH(QString, message);
        QFETCH(QColor, color);
        Screen s;
        if (toolRuns)
            s.f.runner.respond(kPurge, ProcessResult::exited(0));
        s.f.runner.setHeldStartFails(!toolRuns);
        s.click("tool:" + tile);
        QTRY_VERIFY(!s.view->systemTools()->statusMessage().isEmpty());
        QVERIFY2(s.view->systemTools()->statusMessage().startsWith(message),
                 qPrintable(s.view->systemTools()->statusMessage()));
        QCOMPARE(s.label("toolStatus")->color(), color);
        QTEST(s.child<OptimizerButton>("tool:" + tile)->isActive(), "tileLit");
        QCOMPARE(s.clears("systemToolsClear").size(), 1);
        QFETCH(QString, then);
        if (then.isEmpty())
            return;
        // A result replaces the one before it at once, not when the clear comes.
        s.f.runner.setHeldStartFails(false);
        if (then == "pressed again")
            s.click("tool:Anti Shut");
        else
            s.f.optimizer.setAntiShut(true);
        QTRY_VERIFY(s.child<OptimizerButton>("tool:Anti Shut")->isActive());
        QCOMPARE(s.view->systemTools()->statusMessage().isEmpty(), tile == "Anti Shut");
    }

    void reportShowsEveryLineAndThePointedReclaimedAmount_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<std::optional<double>>("reclaimed");
        QTest::addColumn<int>("shownLines");
        QTest::addColumn<QString>("reclaimedText");
        QTest::newRow("seven lines, half a gigabyte") << 7 << std::optional(0.5) << 7 << "RAM reclaimed: 0.50 GB";
        QTest::newRow("five lines, nothing reclaimed") << 5 << std::optional(0.0) << 5 << "RAM reclaimed: 0.00 GB";
        QTest::newRow("one line, not measured") << 1 << std::optional<double>() << 1 << "";
    }
    void reportShowsEveryLineAndThePointedReclaimedAmount()
    {
        QFETCH(int, lines);
        QFETCH(std::optional<double>, reclaimed);
        // A user whose numbers are written with a decimal comma.
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        QStringList actions;
        for (int i = 1; i <= lines; ++i)
            actions.append("step " + QString::number(i));
        OptimizationReportView view(OptimizationReport{"Purge RAM", actions, reclaimed});
        QList<TextLabel*> rows = view.findChildren<TextLabel*>("reportAction");
        auto* reclaimedLine = view.findChild<TextLabel*>("reportReclaimed");
        std::setlocale(LC_NUMERIC, "C");
        QLocale::setDefault(before);

        QTEST(int(rows.size()), "shownLines");
        QCOMPARE(rows.first()->text(), QString("step 1"));
        QTEST(reclaimedLine ? reclaimedLine->text() : QString(), "reclaimedText");
    }

    void dnsTilesInNameOrder()
    {
        Screen s;
        const QStringList names{"CleanBrowsing", "Cloudflare", "Gaming DNS", "Google"};
        QList<QPoint> places;
        for (const QString& name : names)
            places.append(s.child("provider:" + name)->geometry().topLeft());
        QCOMPARE(places[0].y(), places[1].y());
        QVERIFY(places[0].x() < places[1].x());
        QCOMPARE(places[2].y(), places[3].y());
        QVERIFY(places[0].y() < places[2].y());
        QCOMPARE(places[0].x(), places[2].x());
        QCOMPARE(DNSSection::providerIcon("cloudflare"), QString("gamecontroller.fill"));
    }

    void dnsRequests_data()
    {
        QTest::addColumn<QString>("request"); // a provider's tile, or "reset"
        QTest::addColumn<bool>("network");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QColor>("color");
        QTest::newRow("apply") << "Cloudflare" << true << "DNS set to Cloudflare on Wi-Fi" << Color::neonGreen();
        QTest::newRow("reset") << "reset" << true << "DNS reset to automatic (DHCP) on Wi-Fi" << Color::neonGreen();
        QTest::newRow("apply, no resolver answers")
            << "Google" << false << "The selected DNS provider is not reachable. Your current DNS was not changed."
            << Color::onCard(Color::systemRed());
        QTest::newRow("reset, no service") << "reset" << false << "Could not find the active network service."
                                           << Color::onCard(Color::systemRed());
    }
    void dnsRequests()
    {
        QFETCH(QString, request);
        QFETCH(bool, network);
        Screen s;
        if (network)
            scriptNetwork(s.f.runner);
        DNSSection* card = s.view->dns();
        if (request == "reset") {
            s.click("resetDNSButton");
        } else {
            s.click("provider:" + request);
            QMessageBox* confirm = card->confirmation();
            QVERIFY(confirm);
            QCOMPARE(confirm->text(), "Set DNS to " + request + "?");
            QTest::mouseClick(confirm->findChild<QAbstractButton*>("applyDNS"), Qt::LeftButton);
        }
        QVERIFY(card->isLoading());
        for (QAbstractButton* button : card->findChildren<QAbstractButton*>(QRegularExpression("^provider:")))
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        QVERIFY(s.child<TextButton>("resetDNSButton")->isEnabled());
        QTRY_VERIFY(!card->isLoading());
        QTEST(card->statusMessage(), "message");
        QTEST(s.label("dnsStatus")->color(), "color");
        QVERIFY(s.child<TextButton>("resetDNSButton")->isEnabled());
        QVERIFY(s.child<QAbstractButton>("provider:Google")->isEnabled());
    }

    // The reset stays at hand while a switch waits for the administrator; it runs once the switch
    // is done, and its answer is the one that stays.
    void resetWhileASwitchRuns()
    {
        Screen s;
        scriptNetwork(s.f.runner);
        s.f.scripts.hold();
        const auto letGo = qScopeGuard([&s] { s.f.scripts.release(2); });
        DNSSection* card = s.view->dns();
        s.click("provider:Cloudflare");
        QTest::mouseClick(card->confirmation()->findChild<QAbstractButton*>("applyDNS"), Qt::LeftButton);
        QTRY_COMPARE(s.f.scripts.sources().size(), 1);
        s.click("resetDNSButton");
        QVERIFY(card->isLoading());
        QVERIFY(!s.child<QAbstractButton>("provider:Google")->isEnabled());
        s.f.scripts.release();
        QTRY_COMPARE(card->statusMessage(), QString("DNS set to Cloudflare on Wi-Fi"));
        QTRY_COMPARE(s.f.scripts.sources().size(), 2);
        QVERIFY(s.f.scripts.sources().constLast().contains(" Empty"));
        s.f.scripts.release();
        QTRY_COMPARE(card->statusMessage(), QString("DNS reset to automatic (DHCP) on Wi-Fi"));
        QVERIFY(!card->isLoading());
        QVERIFY(s.child<QAbstractButton>("provider:Google")->isEnabled());
    }

    void enterOnTheDnsConfirmationChangesNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
    }
    // Enter on the confirmation is the safe choice: the servers stay as they are.
    void enterOnTheDnsConfirmationChangesNothing()
    {
        QFETCH(int, key);
        Screen s;
        DNSSection* card = s.view->dns();
        s.click("provider:Cloudflare");
        QMessageBox* confirm = card->confirmation();
        QVERIFY(QTest::qWaitForWindowExposed(confirm));
        QWidget* focus = confirm->focusWidget() ? confirm->focusWidget() : confirm;
        QTest::keyClick(focus, Qt::Key(key));
        QTRY_VERIFY(!card->confirmation());
        QVERIFY(!card->isLoading());
    }

    void dnsConfirmationCancelChangesNothing()
    {
        Screen s;
        DNSSection* card = s.view->dns();
        s.click("provider:Cloudflare");
        QMessageBox* confirm = card->confirmation();
        QCOMPARE(confirm->informativeText(),
                 QString("This will change your DNS servers to 1.1.1.1, 1.0.0.1. An admin password prompt may appear."));
        QTest::mouseClick(confirm->findChild<QAbstractButton*>("cancelDNS"), Qt::LeftButton);
        QTRY_VERIFY(!card->confirmation());
        QVERIFY(!card->isLoading());
        QCOMPARE(card->selectedProvider(), QString("Cloudflare"));
        OptimizerFixture::settle();
        QVERIFY(s.f.scripts.sources().isEmpty());
        QCOMPARE(DNSSection::confirmMessage("Unknown"),
                 QString("This will change your DNS servers to . An admin password prompt may appear."));
    }
};

QM_TEST_MAIN(TestOptimizersView)
#include "tst_OptimizersView.moc"
