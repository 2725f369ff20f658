#include "AIConnectRig.h"
#include "TestMain.h"

namespace {

const QString kKey = "sk-test-1";

QStringList contents(const QList<ChatMessage>& messages)
{
    QStringList texts;
    for (const auto& m : messages)
        texts.append(ChatRoles::rawValue(m.role) + ": " + m.content);
    return texts;
}

QStringList sources(const QList<AIContextAttachment>& attachments)
{
    QStringList list;
    for (const auto& a : attachments)
        list.append(a.source);
    return list;
}

bool waitForImports(const AIConnectViewModel& model)
{
    return QTest::qWaitFor([&] { return !model.isImportingContext(); }, 2000);
}

const QString kConnected = "assistant: OpenAI is connected. Model: gpt-4o. You can chat normally, attach local files, or "
                           "pull context from docs and GitHub links.";

} // namespace

class TestAIConnectViewModel : public QObject {
    Q_OBJECT
private slots:
    void connecting_data()
    {
        QTest::addColumn<bool>("storable");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QStringList>("transcript");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("storedKey");

        QTest::newRow("padded key stored trimmed") << true << "  sk-abc \n" << true << QStringList{kConnected} << ""
                                                   << "sk-abc";
        QTest::newRow("blank key changes nothing") << true << " \t\n" << false << QStringList() << "" << "";
        QTest::newRow("key that cannot be stored") << false << "sk-abc" << false << QStringList() << AIConnectViewModel::keyNotSavedNotice
                                                   << "";
    }
    void connecting()
    {
        QFETCH(bool, storable);
        QFETCH(QString, typed);
        AIConnectRig rig(storable);
        QVERIFY(!rig.model->isConnected());
        QSignalSpy changes(rig.model.get(), &AIConnectViewModel::changed);

        QCOMPARE(rig.model->connectWithKey(typed), QTest::currentDataTag() == QByteArray("padded key stored trimmed"));
        QTEST(rig.model->isConnected(), "connected");
        QTEST(contents(rig.model->messages()), "transcript");
        QTEST(rig.model->errorMessage(), "notice");
        QTEST(rig.keys.load(AIProvider::openAI).value_or(QString()), "storedKey");
        QCOMPARE(changes.isEmpty(), typed.trimmed().isEmpty());
    }

    void startsConnectedWithStoredKeyAndLoadedModel()
    {
        AIConnectStores stores;
        AIConnectSettings settings = AIConnectSettings::defaults(AIProvider::openAI);
        settings.modelID = "my-model";
        stores.settings.save(settings, AIProvider::openAI);
        stores.keys.save(kKey, AIProvider::openAI);
        const auto model = stores.makeModel(std::make_unique<FakeAIProviderClient>());
        QVERIFY(model->isConnected());
        QCOMPARE(contents(model->messages()),
                 QStringList{QString(kConnected).replace("gpt-4o", "my-model")});
    }

    void testTurnSendsExactlyOneMessage()
    {
        AIConnectRig rig(true, kKey);
        rig.client->addFile("/a/notes.txt");
        rig.model->attachFiles({"/a/notes.txt"});
        QVERIFY(waitForImports(*rig.model));
        QCOMPARE(rig.model->attachments().size(), 1);

        rig.model->send(AIConnectViewModel::connectionTestPrompt, true);
        QCOMPARE(rig.client->calls.size(), 1);
        const auto& call = rig.client->calls.first();
        QCOMPARE(contents(call.history), QStringList{"user: " + AIConnectViewModel::connectionTestPrompt});
        QCOMPARE(contents(rig.model->messages()),
                 (QStringList{kConnected, "user: " + AIConnectViewModel::connectionTestPrompt}));
        QVERIFY(rig.model->attachments().isEmpty());
    }

    void attachedContextAndHistory()
    {
        AIConnectRig rig(true, kKey);
        // An earlier turn with one attachment, and a failed reply.
        rig.client->addFile("/a/first.md", "first body");
        rig.model->attachFiles({"/a/first.md"});
        QVERIFY(waitForImports(*rig.model));
        rig.model->send("earlier", false);
        rig.client->answer(0, AIChatOutcome::failure(AIServiceError::rateLimit()));

        rig.client->addFile("/a/notes.txt", "note body");
        rig.client->links.insert("https://docs.example/page",
                                 FakeAIProviderClient::attachment(AIContextKind::web, "docs.example",
                                                                  "https://docs.example/page", "page body"));
        rig.model->attachFiles({"/a/notes.txt"});
        rig.model->attachLink("  https://docs.example/page \n");
        QVERIFY(waitForImports(*rig.model));
        rig.model->send("hello", false);

        const QString visible = "hello\n\n[Attached context: 2 item(s)]";
        QCOMPARE(contents(rig.model->messages()).last(), "user: " + visible);
        QVERIFY(rig.model->attachments().isEmpty());
        const auto& sent = rig.client->calls.at(1).history;
        QCOMPARE(contents(sent.mid(0, sent.size() - 1)),
                 (QStringList{kConnected, "user: earlier\n\n[Attached context: 1 item(s)]",
                              "assistant: " + AIServiceError::rateLimit().errorDescription()}));
        const QString composed = "User request:\nhello\n\nAttached context from Quillmarsh:\n"
                                 "[Context FILE]\nTitle: notes.txt\nSource: notes.txt\nContent:\nnote body\n\n"
                                 "[Context WEB]\nTitle: docs.example\nSource: https://docs.example/page\nContent:\npage body"
                                 "\n\nUse the attached context where relevant, but tell the user clearly if the context "
                                 "does not support a claim.";
        QCOMPARE(sent.last().content, composed);
        QCOMPARE(sent.last().id, rig.model->messages().last().id);
        QCOMPARE(sent.last().date, rig.model->messages().last().date);
    }

    void plainTurnSendsTextUnchanged()
    {
        AIConnectRig rig(true, kKey);
        rig.model->send("  hi <b>there</b>", false);
        QCOMPARE(rig.client->calls.first().history.last().content, QString("  hi <b>there</b>"));
        QCOMPARE(rig.model->messages().last().content, QString("  hi <b>there</b>"));
    }

    void replies_data()
    {
        QTest::addColumn<AIChatOutcome>("outcome");
        QTest::addColumn<QString>("appended");
        QTest::addColumn<QString>("usage");

        const QString earlier = "in 1 | out 1 | total 2";
        QTest::newRow("reply with usage") << AIChatOutcome::success("Hi!", "in 5 | out 2 | total 7") << "Hi!"
                                          << "in 5 | out 2 | total 7";
        QTest::newRow("empty reply") << AIChatOutcome::success("", "in 5 | out 0 | total 5")
                                     << AIConnectViewModel::emptyReplyText << "in 5 | out 0 | total 5";
        QTest::newRow("reply without usage") << AIChatOutcome::success("Hi!", std::nullopt) << "Hi!" << "";
        QTest::newRow("named failure keeps usage") << AIChatOutcome::failure(AIServiceError::invalidKey())
                                                   << AIServiceError::invalidKey().errorDescription() << earlier;
        QTest::newRow("unnamed failure") << AIChatOutcome::failure(std::nullopt)
                                         << "The AI service is currently unavailable. Please try again shortly."
                                         << earlier;
    }
    void replies()
    {
        QFETCH(AIChatOutcome, outcome);
        AIConnectRig rig(true, kKey);
        rig.model->send("first", false);
        rig.client->answer(0, AIChatOutcome::success("ok", "in 1 | out 1 | total 2"));
        rig.model->send("second", false);
        rig.client->answer(1, outcome);

        QVERIFY(!rig.model->isSending());
        QTEST(rig.model->messages().last().content, "appended");
        QCOMPARE(rig.model->messages().last().role, ChatRole::assistant);
        QTEST(rig.model->lastUsage().value_or(QString()), "usage");
        QVERIFY(rig.model->errorMessage().isEmpty());
    }

    void sendWithoutKeyLeavesTranscript()
    {
        AIConnectRig rig(true, kKey);
        rig.client->addFile("/a/notes.txt");
        rig.model->attachFiles({"/a/notes.txt"});
        QVERIFY(waitForImports(*rig.model));
        QVERIFY(QFile::remove(rig.keys.fileURL(AIProvider::openAI)));

        rig.model->send("hello", false);
        QVERIFY(rig.client->calls.isEmpty());
        QCOMPARE(rig.model->errorMessage(), AIConnectViewModel::missingKeyNotice);
        QVERIFY(!rig.model->isConnected());
        QCOMPARE(contents(rig.model->messages()), QStringList{kConnected});
        QCOMPARE(rig.model->attachments().size(), 1);
    }

    void stoppingAbortsEveryRequest_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stop") << "stop";
        QTest::newRow("provider switch") << "switch";
        QTest::newRow("disconnect") << "disconnect";
    }
    void stoppingAbortsEveryRequest()
    {
        QFETCH(QString, how);
        AIConnectRig rig(true, kKey);
        AIConnectSettings claude = AIConnectSettings::defaults(AIProvider::anthropic);
        claude.temperature = 1.5;
        rig.settings.save(claude, AIProvider::anthropic);
        rig.keys.save("sk-claude", AIProvider::anthropic);
        rig.keys.save("sk-gemini", AIProvider::gemini);
        rig.model->send("one", false);
        rig.model->send("two", false);
        const QStringList transcript = contents(rig.model->messages());

        if (how == "stop")
            rig.model->cancelSending();
        else if (how == "switch")
            rig.model->setProvider(AIProvider::anthropic);
        else
            rig.model->disconnectProvider();

        QVERIFY(!rig.model->isSending());
        QVERIFY(rig.client->calls.at(0).cancelled);
        QVERIFY(rig.client->calls.at(1).cancelled);
        rig.client->answer(0, AIChatOutcome::success("late one", std::nullopt));
        rig.client->answer(1, AIChatOutcome::success("late two", std::nullopt));
        QCOMPARE(contents(rig.model->messages()), how == "disconnect" ? QStringList() : transcript);
        if (how == "switch") {
            QCOMPARE(rig.model->settings(), claude);
            QVERIFY(rig.model->isConnected());
            QCOMPARE(rig.settings.load(AIProvider::openAI), AIConnectSettings::defaults(AIProvider::openAI));
            // The switch loads the new provider's settings and never writes any.
            QVERIFY(!rig.defaults.value(AISettingsStore::storageKey(AIProvider::openAI)).isValid());
            rig.model->send("three", false);
            QCOMPARE(rig.client->calls.at(2).provider, AIProvider::anthropic);
            QCOMPARE(rig.client->calls.at(2).apiKey, QString("sk-claude"));
            QCOMPARE(rig.client->calls.at(2).history.size(), transcript.size() + 1);
        } else if (how == "disconnect") {
            // Only the current provider's key goes.
            QVERIFY(!QFile::exists(rig.keys.fileURL(AIProvider::openAI)));
            QCOMPARE(rig.keys.load(AIProvider::gemini), QString("sk-gemini"));
            QVERIFY(!rig.model->isConnected());
            QCOMPARE(rig.model->provider(), AIProvider::openAI);
        }
    }

    void attachingFiles_data()
    {
        QTest::addColumn<QStringList>("already");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QStringList>("attached");
        QTest::addColumn<QString>("notice");

        const QStringList six = {"/f/1.txt", "/f/2.txt", "/f/3.txt", "/f/4.txt", "/f/5.txt", "/f/6.txt"};
        QTest::newRow("six files, four used") << QStringList() << six << six.mid(0, 4)
                                              << QStringList{"1.txt", "2.txt", "3.txt", "4.txt"} << "";
        QTest::newRow("same file twice") << QStringList() << QStringList{"/f/1.txt", "/f/1.txt"}
                                         << QStringList{"/f/1.txt", "/f/1.txt"} << QStringList{"1.txt"} << "";
        QTest::newRow("same name in another folder") << QStringList{"/f/1.txt"} << QStringList{"/g/1.txt", "/f/2.txt"}
                                                     << QStringList{"/g/1.txt", "/f/2.txt"}
                                                     << QStringList{"1.txt", "2.txt"} << "";
        QTest::newRow("a failing file among good ones")
            << QStringList() << QStringList{"/f/1.txt", "/f/missing.txt", "/f/2.txt"}
            << QStringList{"/f/1.txt", "/f/missing.txt", "/f/2.txt"} << QStringList{"1.txt", "2.txt"}
            << AIServiceError::attachmentReadFailed("/f/missing.txt").errorDescription();
    }
    void attachingFiles()
    {
        QFETCH(QStringList, already);
        QFETCH(QStringList, chosen);
        AIConnectRig rig(true, kKey);
        for (const char* path : {"/f/1.txt", "/f/2.txt", "/f/3.txt", "/f/4.txt", "/f/5.txt", "/f/6.txt", "/g/1.txt"})
            rig.client->addFile(path);
        if (!already.isEmpty()) {
            rig.model->attachFiles(already);
            QVERIFY(waitForImports(*rig.model));
            rig.client->loadedFiles.clear();
        }
        rig.model->attachFiles(chosen);
        QVERIFY(rig.model->isImportingContext());
        QVERIFY(waitForImports(*rig.model));
        QTEST(rig.client->loadedFiles, "loaded");
        QTEST(sources(rig.model->attachments()), "attached");
        QTEST(rig.model->errorMessage(), "notice");
    }

    void attachingLinks()
    {
        AIConnectRig rig(true, kKey);
        const QString link = "https://github.com/o/r/blob/main/README.md";
        rig.client->links.insert(link, FakeAIProviderClient::attachment(AIContextKind::github, "raw.githubusercontent.com", link));
        rig.model->attachLink(link);
        rig.model->attachLink(link);
        QVERIFY(waitForImports(*rig.model));
        QCOMPARE(sources(rig.model->attachments()), QStringList{link});
        QVERIFY(rig.model->errorMessage().isEmpty());

        rig.model->attachLink("https://nowhere.example");
        QVERIFY(waitForImports(*rig.model));
        QCOMPARE(rig.model->errorMessage(), AIServiceError::invalidContextURL().errorDescription());
        QCOMPARE(rig.model->attachments().size(), 1);

        rig.model->attachLink(" \n ");
        QVERIFY(!rig.model->isImportingContext());
        QCOMPARE(rig.client->fetchedLinks.size(), 3);
    }

    void clearChatLeavesTheConnectedMessage()
    {
        AIConnectRig rig(true, kKey);
        rig.model->send("hello", false);
        rig.client->answer(0, AIChatOutcome::success("Hi", "in 1 | out 1 | total 2"));
        rig.client->addFile("/a/notes.txt");
        rig.model->attachFiles({"/a/notes.txt", "/a/missing"});
        QVERIFY(waitForImports(*rig.model));
        QVERIFY(!rig.model->errorMessage().isEmpty());

        rig.model->clearChat();
        QCOMPARE(contents(rig.model->messages()), QStringList{kConnected});
        QVERIFY(rig.model->attachments().isEmpty());
        QVERIFY(!rig.model->lastUsage());
        QVERIFY(rig.model->errorMessage().isEmpty());
    }
};

QM_TEST_MAIN(TestAIConnectViewModel)
#include "tst_AIConnectViewModel.moc"
