#include "PlantedFile.h"
#include "TestMain.h"
#include "assistant/APIKeyStore.h"
#include "assistant/AesGcm.h"
#include "MachineIdentifier.h"

#include <QRegularExpression>

#include <memory>

namespace {

constexpr auto kOwnerOnlyFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr auto kOwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// A key folder in a fresh scratch folder, with a machine identifier the test can change.
struct KeyStoreRig {
    QTemporaryDir base;
    std::shared_ptr<QString> machine = std::make_shared<QString>("machine-a");
    APIKeyStore store{base.path() + "/Application Support/Quillmarsh/.ai", [machine = machine] { return *machine; }};

    QByteArray fileBytes(AIProvider provider) const
    {
        QFile file(store.fileURL(provider));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(AIProvider provider, const QByteArray& bytes) const
    {
        QFile file(store.fileURL(provider));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
};

QFileDevice::Permissions permissionsOf(const QString& path)
{
    return QFile::permissions(path) & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                       | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                       | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

} // namespace

class TestAPIKeyStore : public QObject {
    Q_OBJECT
private slots:
    // Runs first: nothing before the first sealed box may have brought libcrypto into the process.
    void libcryptoIsLoadedOnFirstUse()
    {
        const auto loaded = [] {
            QFile maps("/proc/self/maps");
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/libcrypto.so");
        };
        QVERIFY(!loaded());
        QVERIFY(AesGcm::seal(QByteArray(32, 'k'), "text"));
        QVERIFY(loaded());
    }

    void knownAnswer()
    {
        const auto box = AesGcm::seal(QByteArray(32, '\0'), QByteArray(), QByteArray(12, '\0'));
        QVERIFY(box);
        QCOMPARE(box->toHex(), QByteArray(24, '0') + "530f8afbc74536b9a963b4f1c4cb738b");
        QCOMPARE(AesGcm::open(QByteArray(32, '\0'), *box), QByteArray(""));
    }

    void roundTripTrimsAndProtects()
    {
        KeyStoreRig rig;
        QVERIFY(rig.store.save("  sk-test-123\n\t", AIProvider::openAI));
        QCOMPARE(rig.store.load(AIProvider::openAI), QString("sk-test-123"));
        // Nonce, ciphertext as long as the key, tag.
        QCOMPARE(rig.fileBytes(AIProvider::openAI).size(), 12 + 11 + 16);
        QCOMPARE(permissionsOf(rig.store.directoryURL()), kOwnerOnlyFolder);
        QCOMPARE(permissionsOf(rig.store.fileURL(AIProvider::openAI)), kOwnerOnlyFile);
        QVERIFY(!rig.store.load(AIProvider::anthropic));
    }

    // Only white space around the key is dropped; a leading U+FEFF is part of the key, not a
    // byte-order mark of the sealed text.
    void keysComeBackAsSaved_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("loaded");
        // Built from a QChar: text from a narrow literal loses a leading U+FEFF on its way in.
        const QString bom(QChar(0xFEFF));
        QTest::newRow("blanks around") << " sk-a \n" << "sk-a";
        QTest::newRow("leading U+FEFF") << bom + "sk-b" << bom + "sk-b";
        QTest::newRow("two leading U+FEFF") << bom + bom + "sk-c" << bom + bom + "sk-c";
        QTest::newRow("blank then U+FEFF") << " " + bom + "sk-d" << bom + "sk-d";
        QTest::newRow("non-ASCII") << "clé-\u00e9" << "clé-\u00e9";
    }
    void keysComeBackAsSaved()
    {
        QFETCH(QString, typed);
        QFETCH(QString, loaded);
        KeyStoreRig rig;
        QVERIFY(rig.store.save(typed, AIProvider::groq));
        QCOMPARE(rig.store.load(AIProvider::groq).value_or("-"), loaded);
    }

    void fileNames()
    {
        KeyStoreRig rig;
        QSet<QString> names;
        for (const AIProvider provider : AIProviders::allCases()) {
            const QString name = QFileInfo(rig.store.fileURL(provider)).fileName();
            QVERIFY2(QRegularExpression("^[0-9a-f]{64}\\.bin$").match(name).hasMatch(), qPrintable(name));
            QCOMPARE(QFileInfo(rig.store.fileURL(provider)).absolutePath(), rig.store.directoryURL());
            names.insert(name);
        }
        QCOMPARE(names.size(), 6);
    }

    void blankSaveKeepsTheStoredKey()
    {
        KeyStoreRig rig;
        QVERIFY(rig.store.save("first", AIProvider::gemini));
        QVERIFY(!rig.store.save(" \n ", AIProvider::gemini));
        QCOMPARE(rig.store.load(AIProvider::gemini), QString("first"));
    }

    void resavingUsesAFreshNonce()
    {
        KeyStoreRig rig;
        QVERIFY(rig.store.save("same-key", AIProvider::groq));
        const QByteArray first = rig.fileBytes(AIProvider::groq);
        QVERIFY(rig.store.save("same-key", AIProvider::groq));
        QVERIFY(rig.fileBytes(AIProvider::groq) != first);
        QVERIFY(rig.store.save("second-key", AIProvider::groq));
        QCOMPARE(rig.store.load(AIProvider::groq), QString("second-key"));
        QCOMPARE(QDir(rig.store.directoryURL()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void damagedOrForeignFilesAreAbsent_data()
    {
        QTest::addColumn<int>("cutTo");   // -1: keep the length
        QTest::addColumn<int>("flipByte"); // -1: none
        QTest::addColumn<QString>("machine");
        QTest::newRow("cut to 27 bytes") << 27 << -1 << "machine-a";
        QTest::newRow("cut to 28 bytes") << 28 << -1 << "machine-a";
        QTest::newRow("nonce byte changed") << -1 << 0 << "machine-a";
        QTest::newRow("ciphertext byte changed") << -1 << 14 << "machine-a";
        QTest::newRow("tag byte changed") << -1 << 30 << "machine-a";
        QTest::newRow("another machine") << -1 << -1 << "machine-b";
    }
    void damagedOrForeignFilesAreAbsent()
    {
        QFETCH(int, cutTo);
        QFETCH(int, flipByte);
        QFETCH(QString, machine);
        KeyStoreRig rig;
        QVERIFY(rig.store.save("sk-abcdefghij", AIProvider::mistral));
        QByteArray bytes = rig.fileBytes(AIProvider::mistral);
        if (cutTo >= 0)
            bytes.truncate(cutTo);
        if (flipByte >= 0)
            bytes[flipByte] = char(bytes[flipByte] ^ 0x01);
        rig.writeFile(AIProvider::mistral, bytes);
        *rig.machine = machine;
        QCOMPARE(rig.store.load(AIProvider::mistral), std::nullopt);

        // A new key does not write over the old file: that is kept aside.
        const QString path = rig.store.fileURL(AIProvider::mistral);
        QVERIFY(PlantedFile::asideCopies(path).isEmpty());
        QVERIFY(rig.store.save("sk-new", AIProvider::mistral));
        QCOMPARE(rig.store.load(AIProvider::mistral), QString("sk-new"));
        const QStringList aside = PlantedFile::asideCopies(path);
        QCOMPARE(aside.size(), 1);
        QFile kept(QFileInfo(path).dir().filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytes);
    }

    // Whatever stands at a key file, reading it neither waits nor fails: the key is absent and the
    // thing is set aside once, so a new key can be saved.
    void unusableFilesAreSetAsideOnce_data()
    {
        PlantedFile::addKindRows();
    }
    void unusableFilesAreSetAsideOnce()
    {
        QFETCH(PlantedFile::Kind, kind);
        KeyStoreRig rig;
        QVERIFY(rig.store.ensureDirectory());
        const QString path = rig.store.fileURL(AIProvider::anthropic);
        QVERIFY(PlantedFile::plant(path, kind, APIKeyStore::maxFileBytes));
        const QString planted = PlantedFile::describe(path);
        QCOMPARE(rig.store.load(AIProvider::anthropic), std::nullopt);
        const QStringList aside = PlantedFile::asideCopies(path);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(PlantedFile::describe(QFileInfo(path).dir().filePath(aside.first())), planted);
        QCOMPARE(rig.store.load(AIProvider::anthropic), std::nullopt);
        QVERIFY(rig.store.save("sk-after", AIProvider::anthropic));
        QCOMPARE(rig.store.load(AIProvider::anthropic), QString("sk-after"));
        QCOMPARE(PlantedFile::asideCopies(path), aside);
    }

    // A file above the bound is not read: whatever it holds, the key counts as absent.
    void filesAboveTheBoundAreAbsent_data()
    {
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<bool>("read");
        QTest::newRow("at the bound") << APIKeyStore::maxFileBytes << true;
        QTest::newRow("one byte over") << APIKeyStore::maxFileBytes + 1 << false;
    }
    void filesAboveTheBoundAreAbsent()
    {
        QFETCH(qint64, fileSize);
        QFETCH(bool, read);
        KeyStoreRig rig;
        const QString key(fileSize - 28, u'k'); // nonce and tag take 28 bytes
        QVERIFY(rig.store.save(key, AIProvider::gemini));
        QCOMPARE(QFileInfo(rig.store.fileURL(AIProvider::gemini)).size(), fileSize);
        QCOMPARE(rig.store.load(AIProvider::gemini), read ? std::optional(key) : std::nullopt);
    }

    void sealedTextThatIsNotUtf8IsAbsent()
    {
        KeyStoreRig rig;
        QVERIFY(rig.store.ensureDirectory());
        rig.writeFile(AIProvider::openRouter, *AesGcm::seal(rig.store.encryptionKey(), "\xff\xfe key"));
        QCOMPARE(rig.store.load(AIProvider::openRouter), std::nullopt);
    }

    void removeForgetsOneProvider()
    {
        KeyStoreRig rig;
        QVERIFY(rig.store.save("a", AIProvider::openAI));
        QVERIFY(rig.store.save("b", AIProvider::anthropic));
        rig.store.remove(AIProvider::openAI);
        rig.store.remove(AIProvider::gemini);
        QCOMPARE(rig.store.load(AIProvider::openAI), std::nullopt);
        QCOMPARE(rig.store.load(AIProvider::anthropic), QString("b"));
    }

    // Saving refuses a folder that is not a real folder of this user, and never touches where a
    // link points; no key is read through a link into a folder others may write.
    void refusesFoldersItDoesNotOwn_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("folder is a link") << "link";
        QTest::newRow("folder is a link to a key others may have put there") << "link to a key";
        QTest::newRow("folder is a file") << "file";
        QTest::newRow("no folder named") << "none";
    }
    void refusesFoldersItDoesNotOwn()
    {
        QFETCH(QString, setup);
        QTemporaryDir base;
        const QString folder = base.path() + "/.ai";
        const QString elsewhere = base.path() + "/elsewhere";
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(QFile::setPermissions(elsewhere, QFileDevice::Permissions(0x7777)));
        QStringList planted;
        if (setup == "link to a key") {
            APIKeyStore own(base.path() + "/own", [] { return QStringLiteral("m"); });
            QVERIFY(own.save("sk-planted", AIProvider::openAI));
            const QString key = QFileInfo(own.fileURL(AIProvider::openAI)).fileName();
            QVERIFY(QFile::copy(own.fileURL(AIProvider::openAI), elsewhere + "/" + key));
            planted.append(key);
        }
        if (setup.startsWith("link"))
            QVERIFY(QFile::link(elsewhere, folder));
        if (setup == "file") {
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        APIKeyStore store(setup == "none" ? QString() : folder, [] { return QStringLiteral("m"); });
        QVERIFY(!store.save("sk-key", AIProvider::openAI));
        QCOMPARE(store.load(AIProvider::openAI), std::nullopt);
        QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), planted);
        QVERIFY(QFile::permissions(elsewhere) & QFileDevice::WriteOther);
    }
    void machineIdentifierSources_data()
    {
        QTest::addColumn<QByteArray>("machineId");
        QTest::addColumn<QByteArray>("dbusId");
        QTest::addColumn<QString>("identifier"); // empty: the login name
        QTest::newRow("systemd identifier") << QByteArray("0123abcd\n") << QByteArray("ffff\n") << "0123abcd";
        QTest::newRow("blank systemd file, D-Bus identifier") << QByteArray(" \n") << QByteArray("ffff\n") << "ffff";
        QTest::newRow("no files") << QByteArray() << QByteArray() << "";
    }
    void machineIdentifierSources()
    {
        QFETCH(QByteArray, machineId);
        QFETCH(QByteArray, dbusId);
        QFETCH(QString, identifier);
        QTemporaryDir root;
        for (const auto& [path, contents] : {std::pair{QStringLiteral("/etc/machine-id"), machineId},
                                             {QStringLiteral("/var/lib/dbus/machine-id"), dbusId}}) {
            if (contents.isNull())
                continue;
            QDir().mkpath(QFileInfo(root.path() + path).absolutePath());
            QFile file(root.path() + path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        const QString read = MachineIdentifier::read(root.path());
        QVERIFY(!read.isEmpty());
        if (!identifier.isEmpty())
            QCOMPARE(read, identifier);
        else
            QVERIFY(read != "ffff");
    }
};

QM_TEST_MAIN(TestAPIKeyStore)
#include "tst_APIKeyStore.moc"
