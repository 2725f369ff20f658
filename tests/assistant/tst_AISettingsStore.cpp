#include "FakeDefaults.h"
#include "TestMain.h"
#include "assistant/AISettingsStore.h"

namespace {

QByteArray record(const QString& model, double temperature, int maxTokens)
{
    return AIConnectSettings{model, "prompt", "notes", temperature, maxTokens}.toJson();
}

} // namespace

class TestAISettingsStore : public QObject {
    Q_OBJECT
private slots:
    void load_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("model"); // empty: the whole record is the provider's defaults
        QTest::addColumn<double>("temperature");
        QTest::addColumn<int>("maxTokens");

        QTest::newRow("nothing stored") << QVariant() << "" << 0.0 << 0;
        QTest::newRow("in range kept") << QVariant(record("gpt-4.1", 0.7, 1200)) << "gpt-4.1" << 0.7 << 1200;
        QTest::newRow("edges kept") << QVariant(record("gpt-4.1", 2, 8192)) << "gpt-4.1" << 2.0 << 8192;
        QTest::newRow("negative temperature") << QVariant(record("gpt-4o", -1, 1200)) << "gpt-4o" << 0.0 << 1200;
        QTest::newRow("hot temperature") << QVariant(record("gpt-4o", 3.5, 1200)) << "gpt-4o" << 2.0 << 1200;
        QTest::newRow("few tokens") << QVariant(record("gpt-4o", 0.7, 50)) << "gpt-4o" << 0.7 << 128;
        QTest::newRow("negative tokens") << QVariant(record("gpt-4o", 0.7, -5)) << "gpt-4o" << 0.7 << 128;
        QTest::newRow("many tokens") << QVariant(record("gpt-4o", 0.7, 9000)) << "gpt-4o" << 0.7 << 8192;
        QTest::newRow("blank model") << QVariant(record(" \n\t", 0.7, 1200)) << "gpt-4o" << 0.7 << 1200;
        QTest::newRow("custom model as typed") << QVariant(record(" my-model ", 0.7, 1200)) << " my-model " << 0.7 << 1200;
        QTest::newRow("undecodable") << QVariant(QByteArray("{\"modelID\":")) << "" << 0.0 << 0;
        QTest::newRow("missing notes") << QVariant(QByteArray(R"({"modelID":"gpt-4.1","systemPrompt":"p","temperature":1,"maxTokens":500})"))
                                       << "" << 0.0 << 0;
        // A count beyond 32 bits is clamped like any other; the rest of the record stays.
        const auto withTokens = [](const char* count) {
            return QVariant(R"({"modelID":"gpt-4.1","systemPrompt":"prompt","contextNotes":"notes","temperature":0.5,"maxTokens":)"
                            + QByteArray(count) + "}");
        };
        QTest::newRow("tokens of 2^32") << withTokens("4294967296") << "gpt-4.1" << 0.5 << 8192;
        QTest::newRow("tokens of 1e300") << withTokens("1e300") << "gpt-4.1" << 0.5 << 8192;
        QTest::newRow("tokens of -2^40") << withTokens("-1099511627776") << "gpt-4.1" << 0.5 << 128;
        QTest::newRow("fractional tokens") << withTokens("1200.5") << "" << 0.0 << 0;
        QTest::newRow("text, not data") << QVariant(QString::fromUtf8(record("gpt-4.1", 0.7, 1200))) << "" << 0.0 << 0;
    }
    void load()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, model);
        QFETCH(double, temperature);
        QFETCH(int, maxTokens);

        FakeDefaults defaults;
        const QString key = "quillmarsh.aiConnect.settings.OpenAI";
        QCOMPARE(AISettingsStore::storageKey(AIProvider::openAI), key);
        if (stored.isValid())
            defaults.setValue(key, stored);
        AISettingsStore store(defaults);

        const AIConnectSettings expected = model.isEmpty() ? AIConnectSettings::defaults(AIProvider::openAI)
                                                           : AIConnectSettings{model, "prompt", "notes", temperature, maxTokens};
        QCOMPARE(store.load(AIProvider::openAI), expected);
        // Reading corrects, never writes back.
        QCOMPARE(defaults.value(key), stored);

        // A record that did not read is kept aside, not written over, when the settings are saved.
        const AIConnectSettings chosen{"gpt-4.1-mini", "p", "n", 0.3, 600};
        store.save(chosen, AIProvider::openAI);
        QCOMPARE(store.load(AIProvider::openAI), chosen);
        const bool unreadable = stored.isValid() && model.isEmpty();
        QCOMPARE(defaults.asideValues().value(key), unreadable ? stored : QVariant());
    }

    // A record is read only up to a size no typed settings reach; a larger one is set aside once.
    void oversizedRecordsAreNotRead_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("read");
        QTest::newRow("at the bound") << AISettingsStore::maxRecordBytes << true;
        QTest::newRow("one byte over") << AISettingsStore::maxRecordBytes + 1 << false;
        QTest::newRow("80 MB") << qsizetype(80'000'000) << false;
    }
    void oversizedRecordsAreNotRead()
    {
        QFETCH(qsizetype, size);
        QFETCH(bool, read);
        AIConnectSettings settings{"gpt-4.1", "", "notes", 0.5, 2000};
        settings.systemPrompt = QString(size - settings.toJson().size(), u'p');
        const QByteArray stored = settings.toJson();
        QCOMPARE(stored.size(), size);
        FakeDefaults defaults;
        defaults.setValue(AISettingsStore::storageKey(AIProvider::mistral), stored);
        const QString key = AISettingsStore::storageKey(AIProvider::mistral);
        QCOMPARE(AISettingsStore(defaults).load(AIProvider::mistral),
                 read ? settings : AIConnectSettings::defaults(AIProvider::mistral));
        QCOMPARE(defaults.data(key), read ? std::optional(stored) : std::nullopt);
        QCOMPARE(defaults.asideValues().value(key), read ? QVariant() : QVariant(stored));
    }

    void defaultsOfAFirstStart()
    {
        FakeDefaults defaults;
        const AIConnectSettings settings = AISettingsStore(defaults).load(AIProvider::openAI);
        QCOMPARE(settings.modelID, "gpt-4o");
        QCOMPARE(settings.systemPrompt, "You are Quillmarsh AI Connect. Be helpful, clear, and practical. Keep answers "
                                        "concise unless the user asks for detail.");
        QCOMPARE(settings.contextNotes, "");
        QCOMPARE(settings.temperature, 0.7);
        QCOMPARE(settings.maxTokens, 1200);
    }

    void providersKeepTheirOwnRecords()
    {
        FakeDefaults defaults;
        AISettingsStore store(defaults);
        const AIConnectSettings groq{"llama-3.1-8b-instant", "p", "n", 1.1, 300};
        store.save(groq, AIProvider::groq);
        // Saved as given; the range is corrected when it is read.
        const AIConnectSettings mistral{"codestral-latest", "", "", 5, 20};
        store.save(mistral, AIProvider::mistral);

        QCOMPARE(store.load(AIProvider::groq), groq);
        QCOMPARE(store.load(AIProvider::mistral), (AIConnectSettings{"codestral-latest", "", "", 2, 128}));
        QCOMPARE(store.load(AIProvider::openAI), AIConnectSettings::defaults(AIProvider::openAI));
        QCOMPARE(defaults.all().keys(), QStringList({"quillmarsh.aiConnect.settings.Groq", "quillmarsh.aiConnect.settings.Mistral"}));
    }
};

QM_TEST_MAIN(TestAISettingsStore)
#include "tst_AISettingsStore.moc"
