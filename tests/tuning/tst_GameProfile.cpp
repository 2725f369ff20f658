#include "TestMain.h"
#include "tuning/GameProfile.h"
#include "tuning/GameProfilePresets.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

GameProfile custom()
{
    return GameProfile{"8C1B-UUID", "Hollow \"Knight\"", {"com.team.cherry", "com.team.cherry2"}, {"Hollow", "HK"},
                       "gamecontroller", 240, true, false, true, false};
}

QByteArray withKey(const QString& key, const QJsonValue& value)
{
    QJsonObject object = custom().toJson();
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return QJsonDocument(QJsonArray{object}).toJson();
}

} // namespace

class TestGameProfile : public QObject {
    Q_OBJECT
private slots:
    void jsonRoundTrip()
    {
        const QList<GameProfile> profiles = GameProfilePresets::all() + QList{custom()};
        const QByteArray json = GameProfile::encodeList(profiles);
        QCOMPARE(GameProfile::decodeList(json), std::optional(profiles));

        const QJsonObject object = custom().toJson();
        QCOMPARE(object.keys(), (QStringList{"autoActivateGameMode", "boostPriority", "bundleIDs", "enableAntiShut",
                                             "enableFocusMode", "frameLimit", "iconName", "id", "name",
                                             "processNames"}));
        QCOMPARE(object.value("frameLimit").toInteger(), 240);
        QCOMPARE(object.value("bundleIDs").toArray().size(), 2);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");

        QTest::newRow("an empty array") << QByteArray("[]") << true;
        QTest::newRow("keys in any order, unknown keys ignored")
            << QByteArray(R"([{"extra":1,"autoActivateGameMode":false,"boostPriority":false,"bundleIDs":[],)"
                          R"("enableAntiShut":true,"enableFocusMode":false,"frameLimit":0,"iconName":"x",)"
                          R"("id":"a","name":"A","processNames":[]}])")
            << true;
        QTest::newRow("a negative frame limit") << withKey("frameLimit", -30) << true;
        QTest::newRow("a missing Boolean") << withKey("boostPriority", QJsonValue::Undefined) << false;
        QTest::newRow("a missing array") << withKey("processNames", QJsonValue::Undefined) << false;
        QTest::newRow("a Boolean as a number") << withKey("enableAntiShut", 1) << false;
        QTest::newRow("a fractional frame limit") << withKey("frameLimit", 59.5) << false;
        QTest::newRow("a frame limit as text") << withKey("frameLimit", "60") << false;
        QTest::newRow("a number among the bundle identifiers") << withKey("bundleIDs", QJsonArray{"a", 2}) << false;
        QTest::newRow("null for a name") << withKey("name", QJsonValue::Null) << false;
        QTest::newRow("an object, not an array") << QByteArray("{}") << false;
        QTest::newRow("an array of numbers") << QByteArray("[1,2]") << false;
        QTest::newRow("empty text") << QByteArray() << false;
        QTest::newRow("malformed JSON") << QByteArray("[{\"id\":") << false;
    }

    void decoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QCOMPARE(GameProfile::decodeList(json).has_value(), decodes);
    }

    void matching_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<bool>("belongs");

        // custom(): bundles com.team.cherry, com.team.cherry2; names Hollow, HK.
        QTest::newRow("bundle identifier, any name") << "Launcher" << "com.team.cherry2" << true;
        QTest::newRow("bundle identifier differs in case only") << "Launcher" << "com.Team.Cherry" << false;
        QTest::newRow("bundle identifier in other case, name matches") << "Hollow Knight" << "COM.TEAM.CHERRY" << true;
        QTest::newRow("bundle identifier is a prefix only") << "Launcher" << "com.team.cherry.helper" << false;
        QTest::newRow("name contains a fragment") << "The Hollow Knight Silksong" << "" << true;
        QTest::newRow("fragment in another case") << "hollow knight" << "" << true;
        QTest::newRow("short fragment inside a word") << "HKX Editor" << "" << true;
        QTest::newRow("unrelated application") << "Notes" << "com.apple.notes" << false;
        QTest::newRow("no name, no bundle") << "" << "" << false;
    }

    void matching()
    {
        QFETCH(QString, name);
        QFETCH(QString, bundle);
        QFETCH(bool, belongs);
        QCOMPARE(custom().matches(name, bundle), belongs);
    }

    void emptyEntriesMatchNothing()
    {
        // Most applications have no bundle identifier; an empty entry must not claim them all.
        GameProfile profile = custom();
        profile.bundleIDs = {""};
        profile.processNames = {""};
        QVERIFY(!profile.matches("Anything", ""));
        QVERIFY(!profile.matches("", ""));
    }

    void minecraftPresetMatchesByName()
    {
        const GameProfile minecraft = GameProfilePresets::all().first();
        QVERIFY(minecraft.matches("Minecraft Launcher", ""));
        QVERIFY(minecraft.matches("Java", "com.mojang.minecraft"));
        QVERIFY(!minecraft.matches("Java", "com.mojang.Minecraft"));
    }

    void equalityCoversEveryField()
    {
        const GameProfile base = custom();
        QList<GameProfile> variants(10, base);
        variants[0].id += "x";
        variants[1].name += "x";
        variants[2].bundleIDs.append("x");
        variants[3].processNames.append("x");
        variants[4].iconName += "x";
        variants[5].frameLimit += 1;
        variants[6].enableAntiShut = !base.enableAntiShut;
        variants[7].enableFocusMode = !base.enableFocusMode;
        variants[8].boostPriority = !base.boostPriority;
        variants[9].autoActivateGameMode = !base.autoActivateGameMode;
        for (const GameProfile& variant : std::as_const(variants))
            QVERIFY(!(variant == base));
        QCOMPARE(custom(), base);
    }

    void presetTable()
    {
        const QList<GameProfile>& presets = GameProfilePresets::all();
        QStringList ids;
        for (const GameProfile& preset : presets) {
            ids.append(preset.id);
            QCOMPARE(preset.bundleIDs.size(), 1);
        }
        QCOMPARE(ids, (QStringList{"minecraft", "cyberpunk", "re4", "re7", "re8", "bg3", "wow", "lol", "steam", "ds",
                                   "nms", "liesofp"}));
        QCOMPARE(GameProfilePresets::bundleIDs().size(), 12);
        QCOMPARE(GameProfilePresets::ids(), QSet<QString>(ids.cbegin(), ids.cend()));

        const GameProfile& steam = presets.at(8);
        QCOMPARE(steam.processNames, (QStringList{"Steam", "Steam Helper"}));
        QCOMPARE(steam.frameLimit, 0);
        QVERIFY(!steam.enableAntiShut && !steam.enableFocusMode && !steam.boostPriority && !steam.autoActivateGameMode);
        const GameProfile& bg3 = presets.at(5);
        QCOMPARE(bg3.name, "Baldur's Gate 3");
        QCOMPARE(bg3.frameLimit, 60);
        QVERIFY(bg3.enableAntiShut && !bg3.enableFocusMode && bg3.boostPriority && bg3.autoActivateGameMode);
        QCOMPARE(presets.at(6).frameLimit, 144);
        QCOMPARE(presets.at(1).iconName, "bolt.trianglebadge.exclamationmark");
    }
};

QM_TEST_MAIN(TestGameProfile)
#include "tst_GameProfile.moc"
