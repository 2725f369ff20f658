#include "TestMain.h"
#include "assistant/AIConnectSettings.h"
#include "assistant/AIProvider.h"
#include "assistant/AIServiceError.h"
#include "assistant/ChatMessage.h"

#include <QJsonDocument>


class TestAIChatModel : public QObject {
    Q_OBJECT
private slots:
    void providerFromRawValue_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<int>("provider"); // -1: none
        QTest::newRow("OpenAI") << "OpenAI" << int(AIProvider::openAI);
        QTest::newRow("Claude") << "Claude" << int(AIProvider::anthropic);
        QTest::newRow("OpenRouter") << "OpenRouter" << int(AIProvider::openRouter);
        QTest::newRow("other letter case") << "openai" << -1;
        QTest::newRow("company name for Claude") << "Anthropic" << -1;
        QTest::newRow("case name") << "openRouter" << -1;
        QTest::newRow("padded") << " Groq" << -1;
    }
    void providerFromRawValue()
    {
        QFETCH(QString, raw);
        QFETCH(int, provider);
        const auto found = AIProviders::fromRawValue(raw);
        QCOMPARE(found ? int(*found) : -1, provider);
    }

    void providerFacts()
    {
        QStringList names;
        int models = 0;
        for (const AIProvider provider : AIProviders::allCases()) {
            names.append(AIProviders::rawValue(provider));
            QCOMPARE(AIProviders::fromRawValue(names.last()), provider);
            const auto& options = AIProviders::modelOptions(provider);
            models += options.size();
            QCOMPARE(AIProviders::defaultModelID(provider), options.first().id);
            QCOMPARE(AIConnectSettings::defaults(provider).modelID, options.first().id);
            const QUrl page = AIProviders::apiKeyURL(provider);
            QVERIFY2(page.isValid() && page.scheme() == "https" && !page.host().isEmpty(), qPrintable(page.toString()));
        }
        QCOMPARE(names, QStringList({"OpenAI", "Claude", "Gemini", "Groq", "Mistral", "OpenRouter"}));
        QCOMPARE(models, 23);
        QStringList pages;
        for (const AIProvider provider : AIProviders::allCases())
            pages.append(AIProviders::apiKeyURL(provider).path());
        QCOMPARE(pages, QStringList({"/api-keys", "/", "/app/apikey", "/keys", "/api-keys/", "/settings/keys"}));
    }

    void settingsJson_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        const QByteArray full = R"({"modelID":"m","systemPrompt":"p","contextNotes":"","temperature":1.5,"maxTokens":900)";
        QTest::newRow("all five") << full + "}" << true;
        QTest::newRow("extra member ignored") << full + R"(,"other":true})" << true;
        QTest::newRow("whole temperature") << QByteArray(R"({"modelID":"m","systemPrompt":"p","contextNotes":"","temperature":1,"maxTokens":900})") << true;
        QTest::newRow("no contextNotes") << QByteArray(R"({"modelID":"m","systemPrompt":"p","temperature":1.5,"maxTokens":900})") << false;
        QTest::newRow("notes not a string") << QByteArray(R"({"modelID":"m","systemPrompt":"p","contextNotes":null,"temperature":1.5,"maxTokens":900})") << false;
        QTest::newRow("temperature as text") << QByteArray(R"({"modelID":"m","systemPrompt":"p","contextNotes":"","temperature":"1.5","maxTokens":900})") << false;
        QTest::newRow("fractional tokens") << QByteArray(R"({"modelID":"m","systemPrompt":"p","contextNotes":"","temperature":1.5,"maxTokens":900.5})") << false;
        // Saturated to int; the store then clamps it into its range like any other count.
        QTest::newRow("tokens beyond int") << QByteArray(R"({"modelID":"m","systemPrompt":"p","contextNotes":"","temperature":1.5,"maxTokens":1e12})") << true;
        QTest::newRow("array") << QByteArray("[]") << false;
        QTest::newRow("not JSON") << QByteArray("{modelID") << false;
    }
    void settingsJson()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        const auto settings = AIConnectSettings::fromJson(json);
        QCOMPARE(settings.has_value(), decodes);
        if (settings)
            QCOMPARE(AIConnectSettings::fromJson(settings->toJson()), settings);
    }

    void settingsRoundTripKeepsEveryField()
    {
        const AIConnectSettings settings{"  custom/model ", "", "notes\nline", 0.1 + 0.2, 8191};
        QCOMPARE(AIConnectSettings::fromJson(settings.toJson()), settings);
        const QJsonObject written = QJsonDocument::fromJson(settings.toJson()).object();
        QCOMPARE(written.keys(), QStringList({"contextNotes", "maxTokens", "modelID", "systemPrompt", "temperature"}));
    }

    void errorTexts_data()
    {
        QTest::addColumn<AIServiceError>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("model, no detail") << AIServiceError::modelUnavailable()
                                          << "That model was not found or is not enabled for this API key. Pick "
                                             "another model in AI settings and try again.";
        QTest::newRow("model, empty detail") << AIServiceError::modelUnavailable(QString())
                                             << AIServiceError::modelUnavailable().errorDescription();
        QTest::newRow("model, blank detail") << AIServiceError::modelUnavailable(" ")
                                             << "That model is unavailable for this provider or API key.  ";
        QTest::newRow("invalid response, detail") << AIServiceError::invalidResponse("Gemini")
                                                  << "The AI response could not be read: Gemini";
        QTest::newRow("invalid response, empty") << AIServiceError::invalidResponse(QString())
                                                 << "The AI response could not be read. Please try again.";
        QTest::newRow("attachment, empty") << AIServiceError::attachmentReadFailed(QString())
                                           << "That attachment could not be read. ";
        QTest::newRow("attachment, detail") << AIServiceError::attachmentReadFailed("HTTP 404")
                                            << "That attachment could not be read. HTTP 404";
    }
    void errorTexts()
    {
        QFETCH(AIServiceError, error);
        QFETCH(QString, text);
        QCOMPARE(error.errorDescription(), text);
    }

    void chatMessageJsonRoundTrip()
    {
        const ChatMessage message = ChatMessage::make(ChatRole::assistant, "Hi\nthere");
        const QJsonObject json = message.toJson();
        QCOMPARE(json.value("role").toString(), "assistant");
        QCOMPARE(ChatMessage::fromJson(json), message);
        QJsonObject badRole = json;
        badRole["role"] = "system";
        QVERIFY(!ChatMessage::fromJson(badRole));
        QVERIFY(ChatMessage::make(ChatRole::user, "a").id != ChatMessage::make(ChatRole::user, "a").id);
    }
};

QM_TEST_MAIN(TestAIChatModel)
#include "tst_AIChatModel.moc"
