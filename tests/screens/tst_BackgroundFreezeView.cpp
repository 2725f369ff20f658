#include "FakeDefaults.h"
#include "OptimizerFixture.h"
#include "TestMain.h"
#include "screens/profiles/BackgroundFreezeView.h"
#include "screens/profiles/FreezeCandidateRow.h"
#include "style/Color.h"
#include "style/ElidedLabel.h"
#include "style/RoundedPanel.h"
#include "style/SwitchToggle.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"
#include "tuning/GameProfileManager.h"

#include <QTemporaryDir>
#include <csignal>

namespace {

using Signals = QList<std::pair<qint32, int>>;
using Risk = FreezeCandidate::Risk;

constexpr qint32 kOwnPid = 999;
constexpr qint32 kGame = 5;
constexpr qint32 kNotes = 6;

const QString offText = "Background Freeze is off. All paused apps have been resumed.";

// The screen over a real profile manager (its file in a temporary folder) and Background Freeze
// over the fake workspace, process control and defaults. Minecraft and Notes have windows;
// Dropbox (20) and Google Drive (21) are Safe, Discord (30) is Review.
struct Rig : OptimizerFixture {
    QTemporaryDir dir;
    FakeDefaults defaults;
    GameProfileManager manager{workspace, GameProfileManager::Options{dir.filePath("game_profiles.json"), {}}};
    std::unique_ptr<BackgroundFreezeView> view;

    explicit Rig(const QList<RunningApplication>& running = {app(kGame, "Minecraft"), app(kNotes, "Notes"),
                                                          app(20, "Dropbox"), app(21, "Google Drive"),
                                                          app(30, "Discord")})
    {
        processes.setOwnProcessId(kOwnPid);
        run(running);
        workspace.setFrontmost(kNotes);
    }
    ~Rig() { view.reset(); }

    void show()
    {
        view = std::make_unique<BackgroundFreezeView>(
            manager, FocusFreezeManager::Services{workspace, processes, defaults},
            FocusFreezeManager::Options{kOwnPid, "org.quillmarsh.app", std::chrono::hours(1)});
        view->resize(1000, 650);
        view->show();
        QCoreApplication::processEvents();
    }
    void applyProfile(const QString& id) { manager.applyProfile(*manager.profile(id), optimizer); }
    void activate(qint32 pid)
    {
        workspace.setFrontmost(pid);
        emit workspace.applicationActivated(app(pid, {}));
        QCoreApplication::processEvents();
    }
    Signals sent() const
    {
        Signals calls;
        for (const auto& call : processes.signalCalls())
            calls.append({call.pid, call.signal});
        return calls;
    }
    template <typename T = QWidget>
    T* child(const QString& name) const { return view->findChild<T*>(name); }
    QString text(const QString& name) const { return child<TextLabel>(name)->text(); }
    SwitchToggle* freezeSwitch() const { return child<SwitchToggle>("freezeSwitch"); }
    QList<FreezeCandidateRow*> shownRows() const
    {
        QList<FreezeCandidateRow*> rows;
        for (FreezeCandidateRow* row : view->findChildren<FreezeCandidateRow*>()) {
            if (row->isVisible())
                rows.append(row);
        }
        return rows;
    }
    FreezeCandidateRow* row(const QString& name) const
    {
        for (FreezeCandidateRow* row : shownRows()) {
            if (row->candidate().name == name)
                return row;
        }
        return nullptr;
    }
    void click(QWidget* widget)
    {
        QVERIFY(widget);
        QTest::mouseClick(widget, Qt::LeftButton);
    }
};

FreezeCandidate candidate(const QString& name, Risk risk)
{
    return FreezeCandidate{FreezeCandidate::makeID({}, name), name, {}, 20, 1020, risk,
                           FreezeCandidate::reasonFor(risk, name)};
}

} // namespace

class TestBackgroundFreezeView : public QObject {
    Q_OBJECT
private slots:
    void withoutAProfile_data()
    {
        QTest::addColumn<std::optional<QString>>("activated");
        QTest::newRow("nothing applied") << std::optional<QString>();
        QTest::newRow("an applied id that is gone") << std::optional<QString>("gone");
    }
    void withoutAProfile()
    {
        QFETCH(std::optional<QString>, activated);
        Rig rig;
        if (activated) {
            rig.applyProfile("minecraft");
            rig.manager.deleteProfile(0);
        }
        rig.show();
        QVERIFY(!rig.freezeSwitch()->isEnabled());
        QVERIFY(!rig.freezeSwitch()->isChecked());
        QCOMPARE(rig.text("statusText"), offText);
        QVERIFY(rig.text("headerDescription").startsWith("Activate a game profile first"));
        QCOMPARE(rig.text("linkedLabel"), "Activate a game profile first");
        QCOMPARE(rig.view->freezeManager().activeProfile(), std::nullopt);
    }

    void switchingOnWithTheGameInFront()
    {
        Rig rig;
        rig.applyProfile("minecraft");
        rig.show();
        QCOMPARE(rig.text("linkedLabel"), "Linked to Minecraft");
        QVERIFY(rig.freezeSwitch()->isEnabled());
        rig.click(rig.freezeSwitch());
        QVERIFY(rig.view->freezeManager().isEnabled());
        QCOMPARE(rig.text("statusText"), "Background apps are awake while you are outside Minecraft.");
        QVERIFY(rig.sent().isEmpty());

        rig.activate(kGame);
        QCOMPARE(rig.sent(), (Signals{{20, SIGSTOP}, {21, SIGSTOP}}));
        QCOMPARE(rig.text("statusText"), "Minecraft is active. Frozen: Dropbox, Google Drive.");
        QCOMPARE(rig.child<TextLabel>("statusText")->color(), Color::neonGreen());
        QCOMPARE(rig.child<RoundedPanel>("statusDot")->color(), Color::neonGreen());
        QCOMPARE(rig.row("Dropbox")->stateLabel()->text(), "Frozen");
        QCOMPARE(rig.row("Discord")->stateLabel()->text(), "Ready");

        rig.activate(kNotes);
        QCOMPARE(rig.sent().mid(2), (Signals{{20, SIGCONT}, {21, SIGCONT}}));
        QCOMPARE(rig.child<TextLabel>("statusText")->color(), Color::white70());
        QCOMPARE(rig.row("Dropbox")->stateLabel()->text(), "Ready");
    }

    void relinkingResumesFirst()
    {
        Rig rig({app(kGame, "Minecraft"), app(7, "Steam"), app(20, "Dropbox")});
        rig.applyProfile("minecraft");
        rig.show();
        rig.click(rig.freezeSwitch());
        rig.activate(kGame);
        QCOMPARE(rig.sent(), (Signals{{20, SIGSTOP}}));

        // Steam's profile, with Steam in front: Dropbox wakes before it is paused for the new game.
        rig.workspace.setFrontmost(7);
        rig.applyProfile("steam");
        QCOMPARE(rig.sent(), (Signals{{20, SIGSTOP}, {20, SIGCONT}, {20, SIGSTOP}}));
        QCOMPARE(rig.text("linkedLabel"), "Linked to Steam");
        QCOMPARE(rig.text("statusText"), "Steam is active. Frozen: Dropbox.");
    }

    void twelveCandidatesShowTen()
    {
        QList<RunningApplication> running;
        QStringList selection = {"Not Running Sync|Not Running Sync"};
        for (int i = 0; i < 12; ++i) {
            const QString name = QString("Backup %1").arg(i, 2, 10, QChar('0'));
            running.append(app(40 + i, name));
            if (i != 3)
                selection.append(FreezeCandidate::makeID({}, name));
        }
        Rig rig(running);
        rig.defaults.setValue(FocusFreezeManager::selectedCandidatesKey, selection);
        rig.applyProfile("minecraft");
        rig.show();
        QCOMPARE(rig.shownRows().size(), BackgroundFreezeView::maxRows);
        QCOMPARE(rig.shownRows().last()->candidate().name, "Backup 09");
        QCOMPARE(rig.text("selectedCount"), "11 selected");
        QVERIFY(rig.child("safeOnlyButton")->isVisible());

        // One click on a row toggles its candidate once.
        rig.click(rig.row("Backup 03"));
        QCOMPARE(rig.text("selectedCount"), "12 selected");
        QVERIFY(rig.row("Backup 03")->isSelected());
        rig.click(rig.row("Backup 03"));
        QCOMPARE(rig.text("selectedCount"), "11 selected");
    }

    void anEmptyListOffersRefreshOnly()
    {
        Rig rig({app(kGame, "Minecraft"), app(kNotes, "Notes")});
        rig.applyProfile("minecraft");
        rig.show();
        QVERIFY(rig.child("emptyCandidates")->isVisible());
        QVERIFY(rig.child("candidateHeader")->isHidden());
        QVERIFY(rig.shownRows().isEmpty());

        rig.run({app(20, "Dropbox")});
        rig.click(rig.child("refreshButton"));
        QVERIFY(rig.child("emptyCandidates")->isHidden());
        QVERIFY(rig.child("candidateHeader")->isVisible());
        QCOMPARE(rig.shownRows().size(), 1);
    }

    void safeOnlyAndResumeAll()
    {
        Rig rig;
        rig.applyProfile("minecraft");
        rig.show();
        rig.click(rig.row("Discord"));
        rig.click(rig.freezeSwitch());
        rig.activate(kGame);
        QCOMPARE(rig.sent(), (Signals{{20, SIGSTOP}, {21, SIGSTOP}, {30, SIGSTOP}}));
        rig.click(rig.child("safeOnlyButton"));
        QCOMPARE(rig.sent().mid(3), (Signals{{30, SIGCONT}}));
        QVERIFY(!rig.row("Discord")->isSelected());
        rig.click(rig.child("resumeAllButton"));
        QCOMPARE(rig.sent().mid(4), (Signals{{20, SIGCONT}, {21, SIGCONT}}));
        QVERIFY(rig.view->freezeManager().isEnabled());
        QCOMPARE(rig.text("selectedCount"), "2 selected");
    }

    void endingTheFreezeResumesOnce_data()
    {
        QTest::addColumn<bool>("leave");
        QTest::newRow("profile deactivated") << false;
        QTest::newRow("screen left") << true;
    }
    void endingTheFreezeResumesOnce()
    {
        QFETCH(bool, leave);
        Rig rig;
        rig.applyProfile("minecraft");
        rig.show();
        rig.click(rig.freezeSwitch());
        rig.activate(kGame);
        QCOMPARE(rig.sent().size(), 2);
        if (leave) {
            rig.view.reset();
            QCOMPARE(rig.defaults.value(FocusFreezeManager::frozenProcessRecoveryKey).toList(), QVariantList{});
            // The next visit starts switched off, with the saved selection.
            rig.show();
            QVERIFY(!rig.freezeSwitch()->isChecked());
            QCOMPARE(rig.text("selectedCount"), "2 selected");
        } else {
            rig.manager.deactivateProfile();
            QCOMPARE(rig.text("statusText"), "Pick or activate a game profile first.");
            QVERIFY(rig.freezeSwitch()->isChecked());
            QVERIFY(!rig.freezeSwitch()->isEnabled());
        }
        QCOMPARE(rig.sent().mid(2), (Signals{{20, SIGCONT}, {21, SIGCONT}}));
        // Bringing the game back pauses nothing.
        rig.activate(kGame);
        rig.view.reset();
        QCOMPARE(rig.sent().size(), 4);
    }

    void row_data()
    {
        QTest::addColumn<Risk>("risk");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("frozen");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QColor>("markColor");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QColor>("badgeColor");

        QTest::newRow("safe, selected, frozen") << Risk::Safe << true << true << "checkmark.circle.fill"
                                                << Color::neonGreen() << "Safe" << Color::neonGreen();
        QTest::newRow("safe, not selected") << Risk::Safe << false << false << "circle" << Color::white50() << "Safe"
                                            << Color::neonGreen();
        QTest::newRow("review, selected") << Risk::Review << true << false << "checkmark.circle.fill"
                                          << Color::systemOrange() << "Review" << Color::systemOrange();
    }
    void row()
    {
        QFETCH(Risk, risk);
        QFETCH(bool, selected);
        QFETCH(bool, frozen);
        QFETCH(QString, mark);
        QFETCH(QColor, markColor);
        QFETCH(QString, badge);
        QFETCH(QColor, badgeColor);
        const FreezeCandidate dropbox = candidate("Dropbox", risk);
        FreezeCandidateRow row(dropbox, selected, frozen);
        QSignalSpy toggles(&row, &FreezeCandidateRow::toggleRequested);
        row.resize(600, row.sizeHint().height());
        row.show();
        QCOMPARE(row.mark()->symbol(), mark);
        QCOMPARE(row.mark()->color(), markColor);
        QCOMPARE(row.badge()->text(), badge);
        QCOMPARE(row.badge()->color(), badgeColor);
        QCOMPARE(row.stateLabel()->text(), frozen ? "Frozen" : "Ready");
        QCOMPARE(row.stateLabel()->color(), frozen ? Color::neonCyan() : Color::white50());
        QCOMPARE(row.stateDot()->color(), row.stateLabel()->color());
        QCOMPARE(row.reasonLabel()->displayedText(), dropbox.reason);

        // A click on the name or on the state is the row's click; the row itself stays as it was.
        QTest::mouseClick(&row, Qt::LeftButton, {}, row.nameLabel()->geometry().center());
        QTest::mouseClick(&row, Qt::LeftButton, {}, row.stateLabel()->geometry().center());
        QCOMPARE(toggles.size(), 2);
        QCOMPARE(toggles.first().first().value<FreezeCandidate>(), dropbox);
        QCOMPARE(row.isSelected(), selected);
    }

    void longNamesAreCutToOneLine()
    {
        FreezeCandidate longOne = candidate(QString("Backup ").repeated(30), Risk::Safe);
        FreezeCandidateRow row(longOne, true, true);
        row.resize(420, row.minimumSizeHint().height());
        row.show();
        QVERIFY(row.nameLabel()->displayedText().endsWith(QChar(0x2026)));
        QVERIFY(row.reasonLabel()->displayedText().endsWith(QChar(0x2026)));
        QVERIFY(row.badge()->isVisible());
        const QRect state = row.stateLabel()->geometry();
        QVERIFY(state.right() <= row.width() - 11);
        QVERIFY(state.left() > row.nameLabel()->geometry().right());
        QCOMPARE(row.nameLabel()->height(), row.nameLabel()->fontMetrics().height());
    }
};

QM_TEST_MAIN(TestBackgroundFreezeView)
#include "tst_BackgroundFreezeView.moc"
