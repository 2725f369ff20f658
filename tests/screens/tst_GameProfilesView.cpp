#include "FileSizeLimit.h"
#include "OptimizerFixture.h"
#include "ProfilesFixture.h"
#include "TestMain.h"
#include "screens/profiles/CustomGameForm.h"
#include "screens/profiles/GameProfilesView.h"
#include "screens/profiles/PresetCard.h"
#include "style/ContentButton.h"
#include "style/SymbolButton.h"
#include "style/TextLabel.h"
#include "tuning/GameProfileFile.h"
#include "tuning/GameProfileManager.h"
#include "macos/ApplicationFolders.h"
#include "tuning/GameProfilePresets.h"

#include <QDialog>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

GameProfile custom(const QString& id, const QString& name, qint64 frameLimit = 0, bool antiShut = false,
                   bool focus = false, bool boost = false)
{
    return GameProfile{id, name, {}, {name}, "gamecontroller", frameLimit, antiShut, focus, boost, false};
}

QStringList idsOf(const QList<GameProfile>& profiles)
{
    QStringList ids;
    for (const GameProfile& profile : profiles)
        ids.append(profile.id);
    return ids;
}

// The screen over a real manager whose profiles file and game folder lie in a temporary folder,
// and an optimizer over fakes.
struct Rig : OptimizerFixture {
    QTemporaryDir dir;
    std::unique_ptr<GameProfileManager> manager;
    std::unique_ptr<GameProfilesView> view;

    explicit Rig(const QList<GameProfile>& stored = {}, const QStringList& installed = {})
    {
        QDir().mkpath(gamesFolder());
        for (const QString& name : installed)
            ProfilesFixture::writeBundle(gamesFolder(), name, "com.example." + name.toLower());
        if (!stored.isEmpty())
            GameProfileFile(profilesPath()).save(stored);
        manager = makeManager();
        view = std::make_unique<GameProfilesView>(*manager, optimizer);
        view->resize(1000, 650);
        view->show();
        settle();
    }
    ~Rig() { view.reset(); }

    QString profilesPath() const { return dir.filePath("game_profiles.json"); }
    QString gamesFolder() const { return dir.filePath("Applications"); }
    std::unique_ptr<GameProfileManager> makeManager()
    {
        return std::make_unique<GameProfileManager>(workspace,
                                                    GameProfileManager::Options{
                                                        profilesPath(), std::make_shared<ApplicationFolders>(QStringList{gamesFolder()})});
    }
    // Lets the installed-games scan and the screen's redraw finish.
    static void settle()
    {
        OptimizerFixture::settle();
        QCoreApplication::processEvents();
    }

    template <typename T = QWidget>
    T* child(const QString& name) const { return view->findChild<T*>(name); }
    QList<QWidget*> customRows() const { return view->findChildren<QWidget*>("customRow"); }
    QStringList customRowNames() const
    {
        QStringList names;
        for (QWidget* row : customRows())
            names.append(row->findChild<TextLabel*>("customName")->text());
        return names;
    }
    PresetCard* presetCard(const QString& id) const
    {
        for (PresetCard* card : view->findChildren<PresetCard*>()) {
            if (card->profileID() == id)
                return card;
        }
        return nullptr;
    }
    QStringList activeCards() const
    {
        QStringList ids;
        for (PresetCard* card : view->findChildren<PresetCard*>()) {
            if (card->card()->property("active").toBool())
                ids.append(card->profileID());
        }
        return ids;
    }
    void click(QWidget* widget)
    {
        QVERIFY(widget);
        QTest::mouseClick(widget, Qt::LeftButton);
        settle();
    }
    void clickInRow(int row, const QString& button) { click(customRows().value(row)->findChild<QWidget*>(button)); }
};

} // namespace

class TestGameProfilesView : public QObject {
    Q_OBJECT
private slots:
    void presetsAndCustomSplit()
    {
        const QList<GameProfile> stored = {GameProfilePresets::all()[1], custom("a", "Doom"), GameProfilePresets::all()[0],
                                           custom("b", "Celeste")};
        Rig rig(stored);
        QCOMPARE(idsOf(rig.view->presetProfiles()), (QStringList{"cyberpunk", "minecraft"}));
        QCOMPARE(idsOf(rig.view->customProfiles()), (QStringList{"a", "b"}));
        QCOMPARE(rig.customRowNames(), (QStringList{"Doom", "Celeste"}));

        Rig presetsOnly;
        QCOMPARE(presetsOnly.view->findChildren<PresetCard*>().size(), GameProfilePresets::all().size());
        QVERIFY(presetsOnly.child("customCard")->isHidden());
        QVERIFY(presetsOnly.child("addCustomGameButton")->isVisible());
    }

    void bannerAndDeactivate()
    {
        Rig rig;
        QVERIFY(rig.child("activeBanner")->isHidden());
        rig.click(rig.presetCard("minecraft")->card());
        QCOMPARE(rig.activeCards(), QStringList{"minecraft"});
        // Cyberpunk's profile switches everything on, Game Mode included.
        rig.click(rig.presetCard("cyberpunk")->card());
        QCOMPARE(rig.activeCards(), QStringList{"cyberpunk"});
        QVERIFY(rig.child("activeBanner")->isVisible());
        QCOMPARE(rig.child<TextLabel>("activeTitle")->text(), "Active: Cyberpunk 2077");
        QCOMPARE(rig.child<TextLabel>("activeDetail")->text(), "Profile applied");
        QVERIFY(rig.optimizer.antiShutEnabled());
        QVERIFY(rig.optimizer.gameModeEnabled());
        const qsizetype runsBefore = rig.runner.calls().size();

        rig.click(rig.child("deactivateButton"));
        QVERIFY(rig.child("activeBanner")->isHidden());
        QCOMPARE(rig.activeCards(), QStringList{});
        QCOMPARE(rig.manager->activatedProfileID(), std::nullopt);
        QVERIFY(!rig.optimizer.antiShutEnabled());
        QVERIFY(!rig.optimizer.focusModeEnabled());
        // The frame limit and Game Mode stay as they were.
        QVERIFY(rig.optimizer.gameModeEnabled());
        for (const auto& call : rig.runner.calls().mid(runsBefore))
            QVERIFY2(!call.arguments.contains("MetalFPSLimit"), qPrintable(call.commandLine()));
    }

    // The banner says how the profile came to be applied: a game's launch, then the user's tap.
    void bannerSaysWhoApplied()
    {
        Rig rig;
        rig.manager->setOptimizer(&rig.optimizer);
        rig.manager->startLaunchMonitoring();
        const RunningApplication minecraft = app(41, "Minecraft");
        rig.workspace.launch(minecraft);
        Rig::settle();
        QCOMPARE(rig.activeCards(), QStringList{"minecraft"});
        QCOMPARE(rig.child<TextLabel>("activeDetail")->text(), "Profile applied automatically");

        rig.click(rig.presetCard("minecraft")->card());
        QCOMPARE(rig.child<TextLabel>("activeDetail")->text(), "Profile applied");
    }

    void installedGames_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("one") << QStringList{"Minecraft"} << "1 game found. Profiles auto-apply when launched.";
        QTest::newRow("two") << QStringList{"Minecraft", "Steam"} << "2 games found. Profiles auto-apply when launched.";
    }
    void installedGames()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, text);
        QList<GameProfile> stored = GameProfilePresets::all();
        for (GameProfile& profile : stored)
            profile.bundleIDs = {"com.example." + profile.name.toLower()};
        Rig rig(stored, installed);
        QTRY_COMPARE(rig.manager->installedGames().size(), installed.size());
        Rig::settle();
        QCOMPARE(rig.child("installedCard")->isVisible(), !installed.isEmpty());
        if (!installed.isEmpty())
            QCOMPARE(rig.child<TextLabel>("installedText")->text(), text);
        QCOMPARE(rig.view->findChildren<QWidget*>("installedChip").size(), installed.size());
    }

    void detailLine_data()
    {
        QTest::addColumn<GameProfile>("profile");
        QTest::addColumn<QString>("line");
        QTest::newRow("all three switches") << custom("x", "X", 60, true, true, true)
                                            << "60 FPS \u00B7 Anti-Shut \u00B7 Focus \u00B7 Boost";
        QTest::newRow("none") << custom("x", "X", 60) << "60 FPS";
        QTest::newRow("no limit, whatever the switches") << custom("x", "X", 0, true, true, true) << QString();
    }
    void detailLine()
    {
        QFETCH(GameProfile, profile);
        QFETCH(QString, line);
        Rig rig({profile});
        auto* detail = rig.customRows().value(0)->findChild<TextLabel*>("customDetail");
        QCOMPARE(detail ? detail->text() : QString(), line);
    }

    void addSurvivesARestart()
    {
        Rig rig;
        rig.click(rig.child("addCustomGameButton"));
        QVERIFY(rig.view->isAddSheetShown());
        CustomGameForm* form = rig.view->sheetForm();
        QVERIFY(form && !form->isEditing() && !form->isPresetProfile());
        QTest::keyClicks(form->findChild<QLineEdit*>("nameField"), "  Hollow Knight ");
        rig.click(form->findChild<QWidget*>("saveButton"));
        QVERIFY(!rig.view->isAddSheetShown());
        QVERIFY(!rig.view->sheet());
        QCOMPARE(rig.customRowNames(), QStringList{"Hollow Knight"});

        const GameProfile added = rig.manager->profiles().last();
        QVERIFY(!QUuid::fromString(added.id).isNull());
        QCOMPARE(added.id, added.id.toUpper());
        QCOMPARE(added, (GameProfile{added.id, "Hollow Knight", {}, {"Hollow Knight"}, "gamecontroller", 0, true, true,
                                     false, false}));
        const auto fresh = rig.makeManager();
        QCOMPARE(fresh->profiles(), rig.manager->profiles());
    }

    // A profile that could not be saved is said so, and the screen shows what is stored.
    void aFailedSaveIsSaidAndUndone()
    {
        Rig rig({custom("a", "Alpha", 60)});
        auto* message = rig.child<TextLabel>("saveFailedMessage");
        QVERIFY(!message->isVisible());
        rig.click(rig.child("addCustomGameButton"));
        QTest::keyClicks(rig.view->sheetForm()->findChild<QLineEdit*>("nameField"), "Hollow Knight");
        {
            FileSizeLimit noRoom(0);
            rig.click(rig.view->sheetForm()->findChild<QWidget*>("saveButton"));
        }
        QVERIFY(message->isVisible());
        QCOMPARE(message->text(), "Profiles could not be saved.");
        QCOMPARE(rig.customRowNames(), QStringList{"Alpha"});
        QCOMPARE(rig.makeManager()->profiles(), rig.manager->profiles());

        rig.view->deleteProfile("a");
        Rig::settle();
        QVERIFY(!message->isVisible());
        QVERIFY(rig.customRows().isEmpty());
    }

    void closingTheAddSheetChangesNothing_data()
    {
        QTest::addColumn<bool>("dismiss");
        QTest::newRow("Cancel") << false;
        QTest::newRow("the sheet's window closed") << true;
    }
    void closingTheAddSheetChangesNothing()
    {
        QFETCH(bool, dismiss);
        Rig rig({custom("a", "Doom")});
        const QByteArray before = [&] {
            QFile file(rig.profilesPath());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        rig.click(rig.child("addCustomGameButton"));
        CustomGameForm* form = rig.view->sheetForm();
        QTest::keyClicks(form->findChild<QLineEdit*>("nameField"), "Celeste");
        if (dismiss)
            rig.view->sheet()->reject();
        else
            rig.click(form->findChild<QWidget*>("cancelButton"));
        Rig::settle();
        QVERIFY(!rig.view->isAddSheetShown());
        QVERIFY(!rig.view->sheet());
        QCOMPARE(idsOf(rig.manager->profiles()), QStringList{"a"});
        QFile file(rig.profilesPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void deleteTakesTheRowsProfileById()
    {
        Rig rig({custom("a", "Doom"), custom("b", "Doom"), custom("c", "Celeste"), custom("d", "Hades")});
        rig.clickInRow(1, "deleteButton");
        QCOMPARE(idsOf(rig.manager->profiles()), (QStringList{"a", "c", "d"}));
        QCOMPARE(idsOf(*GameProfileFile(rig.profilesPath()).load()), (QStringList{"a", "c", "d"}));

        // The list shrinks under rows not yet redrawn: Celeste's row still removes Celeste, not
        // whatever now stands where Celeste stood.
        QWidget* celesteDelete = rig.customRows().value(1)->findChild<QWidget*>("deleteButton");
        rig.manager->deleteProfile(0);
        QTest::mouseClick(celesteDelete, Qt::LeftButton);
        Rig::settle();
        QCOMPARE(idsOf(rig.manager->profiles()), QStringList{"d"});
        QCOMPARE(rig.customRowNames(), QStringList{"Hades"});
    }

    void editorModes()
    {
        Rig rig({GameProfilePresets::all()[0], custom("a", "Doom", 90)});
        rig.click(rig.presetCard("minecraft")->gear());
        CustomGameForm* form = rig.view->sheetForm();
        QVERIFY(form && form->isEditing() && form->isPresetProfile());
        QCOMPARE(form->existingID(), "minecraft");
        QCOMPARE(rig.view->editingProfile().value().id, "minecraft");
        QVERIFY(!form->findChild<QLineEdit*>("nameField")->isEnabled());
        form->setFrameLimitEnabled(false);
        rig.click(form->findChild<QWidget*>("saveButton"));
        QVERIFY(!rig.view->editingProfile());
        GameProfile expected = GameProfilePresets::all()[0];
        expected.frameLimit = 0;
        QCOMPARE(rig.manager->profile("minecraft"), std::optional(expected));

        rig.clickInRow(0, "editButton");
        form = rig.view->sheetForm();
        QVERIFY(form && form->isEditing() && !form->isPresetProfile());
        QCOMPARE(form->fields().frameLimit, 90);
        rig.click(form->findChild<QWidget*>("cancelButton"));
        QVERIFY(!rig.view->editingProfile());
        QCOMPARE(rig.manager->profile("a"), std::optional(custom("a", "Doom", 90)));
    }
};

QM_TEST_MAIN(TestGameProfilesView)
#include "tst_GameProfilesView.moc"
