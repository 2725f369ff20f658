#include "TestMain.h"
#include "screens/profiles/CustomGameForm.h"
#include "screens/profiles/ToggleRow.h"
#include "style/SegmentedPicker.h"
#include "style/SwitchToggle.h"
#include "tuning/GameProfileFile.h"
#include "tuning/GameProfilePresets.h"

#include <QLineEdit>
#include <QTemporaryDir>

Q_DECLARE_METATYPE(CustomGameForm::Fields)

namespace {

// A form with its callbacks recorded.
struct Form {
    QList<GameProfile> saved;
    int cancelled = 0;
    CustomGameForm form;

    Form(const CustomGameForm::Fields& fields, bool isPreset, const QString& id, bool isEditing = true)
        : form(fields, isEditing, isPreset, id, [this](const GameProfile& p) { saved.append(p); },
               [this] { ++cancelled; })
    {
        form.show();
    }
    template <typename T>
    T* child(const QString& name) const { return form.findChild<T*>(name); }
    void click(const QString& name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
    void flip(const QString& toggle) { QTest::mouseClick(child<ToggleRow>(toggle)->toggle(), Qt::LeftButton); }
    void pick(const QString& title)
    {
        QTest::mouseClick(child<SegmentedPicker>("frameLimitPicker")->segment(title), Qt::LeftButton);
    }
};

const GameProfile& preset(const QString& id)
{
    for (const GameProfile& profile : GameProfilePresets::all()) {
        if (profile.id == id)
            return profile;
    }
    qFatal("no preset %s", qPrintable(id));
}

} // namespace

class TestCustomGameForm : public QObject {
    Q_OBJECT
private slots:
    // The profile handed to onSave by the save button, built from the fields as they stand.
    void buildProfileFromForm_data()
    {
        QTest::addColumn<CustomGameForm::Fields>("fields");
        QTest::addColumn<bool>("isPreset");
        QTest::addColumn<QString>("id");
        QTest::addColumn<GameProfile>("expected");

        const GameProfile& cyberpunk = preset("cyberpunk");
        GameProfile edited = cyberpunk;
        edited.frameLimit = 144;
        edited.enableFocusMode = false;
        edited.autoActivateGameMode = false;
        QTest::newRow("a preset keeps its identification, icon and id")
            << CustomGameForm::Fields{cyberpunk.name, 144, true, false, true, false} << true << "cyberpunk" << edited;
        QTest::newRow("a custom game matches its trimmed name")
            << CustomGameForm::Fields{"  Hollow Knight\t ", 0, true, true, false, false} << false << "AB-12"
            << GameProfile{"AB-12", "Hollow Knight", {}, {"Hollow Knight"}, "gamecontroller", 0, true, true, false,
                           false};
        QTest::newRow("a custom game named like a preset is still a custom game")
            << CustomGameForm::Fields{"Minecraft", 30, false, false, true, true} << false << "CD-34"
            << GameProfile{"CD-34", "Minecraft", {}, {"Minecraft"}, "gamecontroller", 30, false, false, true, true};
        QTest::newRow("a preset id no longer among the presets")
            << CustomGameForm::Fields{"Old Game", 60, false, false, false, false} << true << "retired"
            << GameProfile{"retired", "Old Game", {}, {"Old Game"}, "gamecontroller", 60, false, false, false, false};
        QTest::newRow("a limit the picker does not offer")
            << CustomGameForm::Fields{"Doom", 100, false, true, false, false} << false << "EF-56"
            << GameProfile{"EF-56", "Doom", {}, {"Doom"}, "gamecontroller", 100, false, true, false, false};
    }
    void buildProfileFromForm()
    {
        QFETCH(CustomGameForm::Fields, fields);
        QFETCH(bool, isPreset);
        QFETCH(QString, id);
        QFETCH(GameProfile, expected);
        Form f(fields, isPreset, id);
        QCOMPARE(f.child<QLineEdit>("nameField")->isEnabled(), !isPreset);
        f.click("saveButton");
        QCOMPARE(f.saved, QList{expected});
        QCOMPARE(f.cancelled, 0);

        // What is saved is read back as it was saved, the limit included.
        QTemporaryDir dir;
        const GameProfileFile file(dir.filePath("game_profiles.json"));
        QVERIFY(file.save(f.saved));
        QCOMPARE(file.load(), std::optional(f.saved));
    }

    void unofferedLimitSelectsNoSegment()
    {
        Form f({"Doom", 100}, false, "x");
        auto* picker = f.child<SegmentedPicker>("frameLimitPicker");
        QVERIFY(picker->isVisible());
        QCOMPARE(picker->currentValue(), QString());
        QVERIFY(f.child<ToggleRow>("frameLimitToggle")->value());
    }

    void frameLimitSwitch()
    {
        Form f({"Doom"}, false, "x", false);
        auto* picker = f.child<SegmentedPicker>("frameLimitPicker");
        QVERIFY(!picker->isVisible());
        f.flip("frameLimitToggle");
        QCOMPARE(f.form.fields().frameLimit, 60);
        QCOMPARE(picker->currentValue(), "60");
        QVERIFY(picker->isVisible());
        f.pick("144");
        QCOMPARE(f.form.fields().frameLimit, 144);
        f.flip("frameLimitToggle");
        QCOMPARE(f.form.fields().frameLimit, 0);
        QVERIFY(!picker->isVisible());
        f.flip("frameLimitToggle");
        QCOMPARE(f.form.fields().frameLimit, 60);
        QCOMPARE(picker->currentValue(), "60");
    }

    void saveNeedsAName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("spaces") << "   " << false;
        QTest::newRow("tabs and spaces") << "\t \t" << false;
        QTest::newRow("a letter among spaces") << "  a  " << true;
    }
    void saveNeedsAName()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        Form f({}, false, "x", false);
        QTest::keyClicks(f.child<QLineEdit>("nameField"), typed);
        QCOMPARE(f.child<QWidget>("saveButton")->isEnabled(), enabled);
        f.click("saveButton");
        QCOMPARE(f.saved.size(), enabled ? 1 : 0);
    }

    void switchesAndCancel()
    {
        Form f({"Doom", 0, true, true, false, false}, false, "x", false);
        for (const char* toggle : {"antiShutToggle", "focusModeToggle", "boostPriorityToggle", "autoGameModeToggle"})
            f.flip(toggle);
        f.click("cancelButton");
        QCOMPARE(f.cancelled, 1);
        QVERIFY(f.saved.isEmpty());
        f.click("saveButton");
        QCOMPARE(f.saved.value(0).enableAntiShut, false);
        QCOMPARE(f.saved.value(0).enableFocusMode, false);
        QCOMPARE(f.saved.value(0).boostPriority, true);
        QCOMPARE(f.saved.value(0).autoActivateGameMode, true);
        QCOMPARE(f.cancelled, 1);
    }
};

QM_TEST_MAIN(TestCustomGameForm)
#include "tst_CustomGameForm.moc"
