#include "LoopbackHttpServer.h"
#include "LoopbackRequired.h"
#include "TestMain.h"
#include "assistant/AIProviderService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

using Request = LoopbackHttpServer::Request;
using Response = LoopbackHttpServer::Response;

namespace {

const QString kKey = QStringLiteral("sk-test+/=&key");
const QByteArray kEncodedKey = "sk-test%2B%2F%3D%26key";

// Every provider's API on one loopback server.
struct ChatRig {
    LoopbackHttpServer server;
    std::unique_ptr<AIProviderService> service;

    explicit ChatRig(int timeoutMs = 10'000)
    {
        AIProviderService::Options options;
        for (const AIProvider provider : AIProviders::allCases())
            options.baseURLs.insert(provider, server.baseUrl());
        options.chatTimeoutMs = timeoutMs;
        service = std::make_unique<AIProviderService>(options);
    }

    AIChatOutcome send(AIProvider provider, const QList<ChatMessage>& history = {},
                       const AIConnectSettings& settings = {"model-x", "", "", 0.5, 300}, const QString& key = kKey)
    {
        std::optional<AIChatOutcome> outcome;
        int calls = 0;
        service->send(history, provider, key, settings, [&](const AIChatOutcome& result) {
            outcome = result;
            ++calls;
        });
        if (!QTest::qWaitFor([&] { return outcome.has_value(); }, 10'000))
            return AIChatOutcome::failure(AIServiceError::invalidResponse("test gave up waiting"));
        QTest::qWait(20);
        return calls == 1 ? *outcome : AIChatOutcome::failure(AIServiceError::invalidResponse("called twice"));
    }
};

QString describe(const AIChatOutcome& outcome)
{
    if (outcome.succeeded)
        return "reply: " + outcome.reply + (outcome.usage ? " [" + *outcome.usage + "]" : QString());
    return outcome.error ? "error: " + outcome.error->errorDescription() : QStringLiteral("error without a kind");
}

QList<ChatMessage> conversation()
{
    return {ChatMessage::make(ChatRole::user, "Hi"), ChatMessage::make(ChatRole::assistant, "  \n"),
            ChatMessage::make(ChatRole::user, "Why?")};
}

QJsonObject json(const QByteArray& text)
{
    return QJsonDocument::fromJson(text).object();
}

} // namespace

class TestAIProviderService : public QObject {
    Q_OBJECT
private slots:
    void requests_data()
    {
        QTest::addColumn<int>("provider");
        QTest::addColumn<QList<ChatMessage>>("history");
        QTest::addColumn<AIConnectSettings>("settings");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QStringList>("headers"); // name: value, besides the content type
        QTest::addColumn<QByteArray>("body");

        const AIConnectSettings bare{"model-x", "", "", 0.5, 300};
        const AIConnectSettings notesOnly{"model-x", "  ", " keep it short \n", 1.0, 128};
        const AIConnectSettings full{"model-x", " Be brief. ", "notes", 0.25, 2000};
        const QStringList bearer{"authorization: Bearer " + kKey};
        const QStringList anthropic{"x-api-key: " + kKey, "anthropic-version: 2023-06-01"};

        QTest::newRow("OpenAI hello") << int(AIProvider::openAI) << QList<ChatMessage>() << bare << QByteArray("/v1/chat/completions") << bearer
            << QByteArray(R"({"model":"model-x","messages":[{"role":"user","content":"Hello"}],"temperature":0.5,"max_tokens":300})");
        QTest::newRow("Groq notes only") << int(AIProvider::groq) << QList<ChatMessage>() << notesOnly << QByteArray("/openai/v1/chat/completions") << bearer
            << QByteArray(R"({"model":"model-x","messages":[{"role":"system","content":"\n\nSaved context notes for this chat:\nkeep it short"}],"temperature":1,"max_tokens":128})");
        QTest::newRow("Mistral conversation") << int(AIProvider::mistral) << conversation() << full << QByteArray("/v1/chat/completions") << bearer
            << QByteArray(R"({"model":"model-x","messages":[{"role":"system","content":"Be brief.\n\nSaved context notes for this chat:\nnotes"},)"
                          R"({"role":"user","content":"Hi"},{"role":"assistant","content":"  \n"},{"role":"user","content":"Why?"}],"temperature":0.25,"max_tokens":2000})");
        QTest::newRow("OpenRouter title") << int(AIProvider::openRouter) << QList<ChatMessage>() << bare << QByteArray("/api/v1/chat/completions")
            << (bearer + QStringList{"x-title: Quillmarsh"})
            << QByteArray(R"({"model":"model-x","messages":[{"role":"user","content":"Hello"}],"temperature":0.5,"max_tokens":300})");
        QTest::newRow("Claude hello") << int(AIProvider::anthropic) << QList<ChatMessage>() << bare << QByteArray("/v1/messages") << anthropic
            << QByteArray(R"({"model":"model-x","max_tokens":300,"temperature":0.5,"system":"","messages":[{"role":"user","content":"Hello"}]})");
        QTest::newRow("Claude blank messages left out") << int(AIProvider::anthropic) << conversation() << full << QByteArray("/v1/messages") << anthropic
            << QByteArray(R"({"model":"model-x","max_tokens":2000,"temperature":0.25,"system":"Be brief.\n\nSaved context notes for this chat:\nnotes",)"
                          R"("messages":[{"role":"user","content":"Hi"},{"role":"user","content":"Why?"}]})");
        QTest::newRow("Gemini hello") << int(AIProvider::gemini) << QList<ChatMessage>() << bare
            << "/v1beta/models/model-x:generateContent?key=" + kEncodedKey << QStringList()
            << QByteArray(R"({"contents":[{"parts":[{"text":"Hello"}]}],"generationConfig":{"temperature":0.5,"maxOutputTokens":300}})");
        QTest::newRow("Gemini notes only") << int(AIProvider::gemini) << QList<ChatMessage>() << notesOnly
            << "/v1beta/models/model-x:generateContent?key=" + kEncodedKey << QStringList()
            << QByteArray(R"({"contents":[{"parts":[{"text":"System instructions:\n\n\nSaved context notes for this chat:\nkeep it short\n\nConversation:\nUser: Hello"}]}],)"
                          R"("generationConfig":{"temperature":1,"maxOutputTokens":128}})");
        QTest::newRow("Gemini conversation, model as one segment") << int(AIProvider::gemini) << conversation()
            << AIConnectSettings{"tuned/my model?x", "", "", 0.5, 300}
            << "/v1beta/models/tuned%2Fmy%20model%3Fx:generateContent?key=" + kEncodedKey << QStringList()
            << QByteArray(R"({"contents":[{"parts":[{"text":"User: Hi\nAssistant:   \n\nUser: Why?"}]}],"generationConfig":{"temperature":0.5,"maxOutputTokens":300}})");
    }
    void requests()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(int, provider);
        QFETCH(QList<ChatMessage>, history);
        QFETCH(AIConnectSettings, settings);
        QFETCH(QByteArray, target);
        QFETCH(QStringList, headers);
        QFETCH(QByteArray, body);

        ChatRig rig;
        rig.server.answer({200, R"({"choices":[{"message":{"content":"ok"}}],"content":[{"text":"ok"}],)"
                                R"("candidates":[{"content":{"parts":[{"text":"ok"}]}}]})"});
        QCOMPARE(describe(rig.send(AIProvider(provider), history, settings)), "reply: ok");
        QCOMPARE(rig.server.requests().size(), 1);
        const Request& request = rig.server.requests().first();
        QCOMPARE(request.method, "POST");
        QCOMPARE(request.target, target);
        QCOMPARE(request.headers.value("content-type"), "application/json");
        for (const QString& header : headers) {
            const QByteArray name = header.section(": ", 0, 0).toLatin1();
            QCOMPARE(QString::fromUtf8(request.headers.value(name)), header.section(": ", 1));
        }
        for (const QByteArray name : {"authorization", "x-api-key"}) {
            if (!headers.join('\n').contains(QString::fromLatin1(name) + ":"))
                QVERIFY2(!request.headers.contains(name), name.constData());
        }
        QCOMPARE(json(request.body), json(body));
    }

    void statuses_data()
    {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QString>("result");

        const QString modelPrefix = "error: That model is unavailable for this provider or API key. ";
        const QString unreadable = "error: The AI response could not be read";
        QTest::newRow("400 model not found") << Response{400, R"({"error":{"message":"The MODEL `x` does NOT exist"}})"}
                                             << modelPrefix + "The MODEL `x` does NOT exist";
        QTest::newRow("400 other message") << Response{400, R"({"error":{"message":"max_tokens is too large"}})"}
                                           << unreadable + ": max_tokens is too large";
        QTest::newRow("400 unreadable") << Response{400, "\xff\xfe\x00"} << unreadable + ". Please try again.";
        QTest::newRow("400 detail") << Response{400, R"({"detail":"Model nothing"})"} << modelPrefix + "Model nothing";
        QTest::newRow("400 details object") << Response{400, R"({"details":{"detail":"bad"}})"} << unreadable + ": bad";
        QTest::newRow("400 error string, top message") << Response{400, R"({"error":"x","message":"top level"})"}
                                                       << unreadable + ": top level";
        QTest::newRow("400 error object without text") << Response{400, R"({"error":{"code":4},"message":"ignored"})"}
                                                        << unreadable + ". Please try again.";
        QTest::newRow("401") << Response{401, "{}"} << "error: Your API key seems invalid. Please check it and try again.";
        QTest::newRow("402") << Response{402, ""} << "error: The provider says billing or credits are required for this key.";
        QTest::newRow("404 type only") << Response{404, R"({"error":{"type":"not_found_error"}})"} << modelPrefix + "not_found_error";
        QTest::newRow("404 empty") << Response{404, ""}
                                   << "error: That model was not found or is not enabled for this API key. Pick another model in AI settings and try again.";
        QTest::newRow("408") << Response{408, ""} << "error: The request timed out. Please try again.";
        QTest::newRow("429") << Response{429, R"({"error":{"message":"slow down"}})"}
                             << "error: You've hit your API rate limit. Please wait a moment and try again.";
        QTest::newRow("500") << Response{500, ""} << "error: The AI service is currently unavailable. Please try again shortly.";
        QTest::newRow("302 not followed") << Response{302, "moved", false, {{"Location", "http://127.0.0.1:1/elsewhere"}}}
                                          << unreadable + ": moved";
        QTest::newRow("HTML error page") << Response{400, "\n <html><body>Bad gateway</body></html>\n", false, {{"Content-Type", "text/html"}}}
                                         << unreadable + ": <html><body>Bad gateway</body></html>";
        QTest::newRow("long page capped") << Response{400, QByteArray(800, 'a')} << unreadable + ": " + QString(499, 'a') + QChar(0x2026);
    }
    void statuses()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(Response, response);
        QFETCH(QString, result);
        ChatRig rig;
        rig.server.answer(response);
        QCOMPARE(describe(rig.send(AIProvider::openAI)), result);
        QCOMPARE(rig.server.requests().size(), 1);
    }

    void replies_data()
    {
        QTest::addColumn<int>("provider");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("result");

        const int openAI = int(AIProvider::openAI), claude = int(AIProvider::anthropic), gemini = int(AIProvider::gemini);
        QTest::newRow("OpenAI with usage") << openAI
            << QByteArray(R"({"choices":[{"message":{"content":"  Hi!\n"}}],"usage":{"prompt_tokens":5,"completion_tokens":2,"total_tokens":7}})")
            << "reply: Hi! [in 5 | out 2 | total 7]";
        QTest::newRow("OpenAI total only") << openAI
            << QByteArray(R"({"choices":[{"message":{"content":"x"}}],"usage":{"total_tokens":9,"prompt_tokens":1.5}})") << "reply: x [total 9]";
        QTest::newRow("OpenAI blank reply") << openAI << QByteArray(R"({"choices":[{"message":{"content":"   "}}]})") << "reply: ";
        QTest::newRow("OpenAI usage not an object") << openAI << QByteArray(R"({"choices":[{"message":{"content":"x"}}],"usage":7})") << "reply: x";
        QTest::newRow("OpenAI no choices") << openAI << QByteArray(R"({"choices":[]})")
                                          << "error: The AI response could not be read: OpenAI";
        QTest::newRow("OpenAI content not text") << openAI << QByteArray(R"({"choices":[{"message":{"content":null}}]})")
                                                << "error: The AI response could not be read: OpenAI";
        QTest::newRow("not JSON") << openAI << QByteArray("<html>ok</html>") << "error without a kind";
        QTest::newRow("Claude joined texts") << claude
            << QByteArray(R"({"content":[{"type":"text","text":"one"},{"type":"tool_use"},{"text":"two "}],"usage":{"input_tokens":3,"output_tokens":4}})")
            << "reply: one\ntwo [in 3 | out 4 | total 7]";
        QTest::newRow("Claude zero usage") << claude
            << QByteArray(R"({"content":[{"text":"a"}],"usage":{"input_tokens":0,"output_tokens":0}})") << "reply: a [in 0 | out 0]";
        QTest::newRow("Claude output only") << claude
            << QByteArray(R"({"content":[{"text":"a"}],"usage":{"output_tokens":6}})") << "reply: a [out 6 | total 6]";
        QTest::newRow("Claude blank") << claude << QByteArray(R"({"content":[{"text":" \n "}]})")
                                      << "error: The AI response could not be read: Claude";
        QTest::newRow("Gemini parts") << gemini
            << QByteArray(R"({"candidates":[{"content":{"parts":[{"text":"a"},{"text":"b"}]}}],"usageMetadata":{"promptTokenCount":1,"candidatesTokenCount":2,"totalTokenCount":3}})")
            << "reply: a\nb [in 1 | out 2 | total 3]";
        QTest::newRow("Gemini blank") << gemini << QByteArray(R"({"candidates":[{"content":{"parts":[{"text":""}]}}]})")
                                      << "error: The AI response could not be read: Gemini";
        QTest::newRow("Gemini no candidates") << gemini << QByteArray(R"({"candidates":[]})")
                                              << "error: The AI response could not be read: Gemini";
    }
    void replies()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(int, provider);
        QFETCH(QByteArray, body);
        QFETCH(QString, result);
        ChatRig rig;
        rig.server.answer({200, body});
        QCOMPARE(describe(rig.send(AIProvider(provider))), result);
    }

    void transportFailures_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("result");
        QTest::newRow("reply too late") << "delay" << "error: The request timed out. Please try again.";
        QTest::newRow("connection closed") << "close" << "error: No internet connection. Please check your network.";
        QTest::newRow("nothing listening") << "closed port"
                                           << "error: The AI service is currently unavailable. Please try again shortly.";
        QTest::newRow("nothing listening, no network path") << "closed port offline"
                                                            << "error: No internet connection. Please check your network.";
    }
    void transportFailures()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(QString, situation);
        QFETCH(QString, result);
        ChatRig rig(situation == "delay" ? 100 : 10'000);
        rig.server.answer(Response{200, "{}", false, {}, 400, situation == "close"});
        if (situation.startsWith("closed port")) {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            const quint16 port = probe.serverPort();
            probe.close();
            AIProviderService::Options options;
            options.baseURLs.insert(AIProvider::openAI, QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)));
            options.hasNetworkPath = [offline = situation.endsWith("offline")] { return !offline; };
            rig.service = std::make_unique<AIProviderService>(options);
        }
        QCOMPARE(describe(rig.send(AIProvider::openAI)), result);
    }

    // Whatever the provider echoes, the key (plain or as it travelled in the address) never
    // reaches a message.
    void keyNeverInMessages_data()
    {
        QTest::addColumn<int>("provider");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("echoed in JSON") << int(AIProvider::openAI) << 400
                                        << QByteArray(R"({"error":{"message":"Incorrect API key provided: )") + kKey.toUtf8() + "\"}}";
        QTest::newRow("address echoed") << int(AIProvider::gemini) << 404
                                        << "<p>No route for /v1beta/models/m:generateContent?key=" + kEncodedKey.toLower() + "</p>";
        QTest::newRow("echoed late in a long page") << int(AIProvider::anthropic) << 400 << QByteArray(492, 'p') + kKey.toUtf8() + "tail";
    }
    void keyNeverInMessages()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(int, provider);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        ChatRig rig;
        rig.server.answer({status, body});
        const QString text = describe(rig.send(AIProvider(provider)));
        QVERIFY2(text.contains("[API"), qPrintable(text));
        for (const QString& secret : {kKey, QString::fromLatin1(kEncodedKey), QStringLiteral("sk-te")})
            QVERIFY2(!text.contains(secret, Qt::CaseInsensitive), qPrintable(text));
    }

    void unusableInputsNeverLeave_data()
    {
        QTest::addColumn<int>("provider");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("result");
        QTest::newRow("blank Gemini model") << int(AIProvider::gemini) << " " << kKey
                                            << "error: The AI response could not be read: Gemini URL";
        QTest::newRow("broken Gemini model") << int(AIProvider::gemini) << QString(QChar(0xd800)) << kKey
                                             << "error: The AI response could not be read: Gemini URL";
        QTest::newRow("key with a line break") << int(AIProvider::openAI) << "gpt-4o" << "sk-a\r\nX-Injected: 1"
                                               << "error: Your API key seems invalid. Please check it and try again.";
    }
    void unusableInputsNeverLeave()
    {
        QFETCH(int, provider);
        QFETCH(QString, model);
        QFETCH(QString, key);
        QFETCH(QString, result);
        ChatRig rig;
        QCOMPARE(describe(rig.send(AIProvider(provider), {}, {model, "", "", 0.5, 300}, key)), result);
        QCOMPARE(rig.server.connections(), 0);
    }

    void cancelledCallNeverAnswers()
    {
        QM_REQUIRE_LOOPBACK();
        ChatRig rig;
        rig.server.answer(Response{200, R"({"choices":[{"message":{"content":"late"}}]})", false, {}, 200});
        bool called = false;
        const auto cancel = rig.service->send({}, AIProvider::openAI, kKey, AIConnectSettings::defaults(AIProvider::openAI),
                                              [&](const AIChatOutcome&) { called = true; });
        QTRY_COMPARE(rig.server.requests().size(), 1);
        cancel();
        QTest::qWait(300);
        QVERIFY(!called);
    }
};

QM_TEST_MAIN(TestAIProviderService)
#include "tst_AIProviderService.moc"
