#include "AIConnectRig.h"
#include "FakeFilePicker.h"
#include "FakeURLOpener.h"
#include "GuiStall.h"
#include "LoopbackHttpServer.h"
#include "LoopbackRequired.h"
#include "TestMain.h"
#include "assistant/AIProviderService.h"
#include "screens/assistant/AIConnectChatPanel.h"
#include "screens/assistant/AIConnectSetupPanel.h"
#include "screens/assistant/AIConnectView.h"
#include "screens/assistant/AILinkSheet.h"
#include "screens/assistant/AIMessageBubble.h"
#include "screens/assistant/AttachmentChip.h"
#include "screens/assistant/ChatTranscript.h"
#include "screens/assistant/TypingBubble.h"
#include "style/AppStyle.h"
#include "style/GradientButton.h"
#include "style/ScreenWidth.h"
#include "style/Stepper.h"
#include "style/SymbolTileButton.h"
#include "style/TextLabel.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>

namespace {

// The real screen over scratch stores, a fake client, picker and browser.
struct ScreenRig : AIConnectStores {
    explicit ScreenRig(bool keysStorable = true, bool openAIKeyStored = false,
                       std::unique_ptr<AIProviderClient> realClient = nullptr)
        : AIConnectStores(keysStorable)
    {
        if (openAIKeyStored)
            keys.save("sk-stored", AIProvider::openAI);
        std::unique_ptr<AIProviderClient> chosen = std::move(realClient);
        if (!chosen) {
            auto fake = std::make_unique<FakeAIProviderClient>();
            client = fake.get();
            chosen = std::move(fake);
        }
        view = std::make_unique<AIConnectView>(makeModel(std::move(chosen)), urlOpener, filePicker);
        view->resize(1000, 900);
        view->show();
    }

    template <typename T>
    T* find(const char* name) const
    {
        T* widget = view->findChild<T*>(name);
        if (!widget)
            qWarning("no widget named %s", name);
        return widget;
    }
    AIConnectViewModel& model() const { return view->viewModel(); }
    void click(const char* name) const { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }
    void chooseProvider(AIProvider provider) const
    {
        auto* picker = find<QComboBox>("providerPicker");
        const int index = picker->findData(int(provider));
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }
    QList<AIMessageBubble*> bubbles() const { return view->chatPanel()->transcript()->bubbles(); }

    FakeAIProviderClient* client = nullptr;
    std::shared_ptr<FakeURLOpener> urlOpener = std::make_shared<FakeURLOpener>();
    std::shared_ptr<FakeFilePicker> filePicker = std::make_shared<FakeFilePicker>();
    std::unique_ptr<AIConnectView> view;
};

} // namespace

class TestAIConnectView : public QObject {
    Q_OBJECT
private slots:
    void connectButtonsFollowTheTypedKey_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("sending");
        QTest::addColumn<bool>("connectEnabled");
        QTest::addColumn<bool>("testEnabled");
        QTest::addColumn<QString>("testTitle");

        QTest::newRow("empty") << "" << false << false << false << "Connect & Test";
        QTest::newRow("blanks only") << " \t " << false << false << false << "Connect & Test";
        QTest::newRow("a key") << " sk-1 " << false << true << true << "Connect & Test";
        QTest::newRow("a key while sending") << "sk-1" << true << true << false << "Testing";
    }
    void connectButtonsFollowTheTypedKey()
    {
        QFETCH(QString, typed);
        QFETCH(bool, sending);
        ScreenRig rig(true, sending);
        if (sending)
            rig.model().send("in flight", false);
        rig.find<QLineEdit>("apiKeyField")->setText(typed);
        auto* connectButton = rig.find<GradientButton>("connectButton");
        auto* test = rig.find<GradientButton>("connectAndTestButton");
        QTEST(connectButton->isEnabled(), "connectEnabled");
        QTEST(test->isEnabled(), "testEnabled");
        QTEST(test->text(), "testTitle");
        // The gradient shows exactly when a key is typed.
        QCOMPARE(connectButton->isGradientShown(), !typed.trimmed().isEmpty());
        QCOMPARE(test->isGradientShown(), !typed.trimmed().isEmpty());
    }

    void connectAndTest_data()
    {
        QTest::addColumn<bool>("storable");
        QTest::newRow("key stored") << true;
        QTest::newRow("key not stored") << false;
    }
    void connectAndTest()
    {
        QFETCH(bool, storable);
        ScreenRig rig(storable);
        QVERIFY(rig.view->setupPanel()->isVisible());
        auto* key = rig.find<QLineEdit>("apiKeyField");
        QTest::keyClicks(key, "sk-secret-42");
        QCOMPARE(key->echoMode(), QLineEdit::Password);
        QVERIFY(!key->displayText().contains("sk-secret"));
        QTest::keyClick(key, Qt::Key_Return);
        QVERIFY(rig.client->calls.isEmpty());

        rig.click("connectAndTestButton");
        QVERIFY(key->text().isEmpty());
        QCOMPARE(rig.view->chatPanel()->isVisible(), storable);
        auto* notice = rig.find<QLabel>("setupNotice");
        if (storable) {
            QCOMPARE(rig.client->calls.size(), 1);
            QCOMPARE(rig.client->calls.first().history.size(), 1);
            QCOMPARE(rig.client->calls.first().apiKey, QString("sk-secret-42"));
            QVERIFY(rig.bubbles().size() == 2);
        } else {
            QVERIFY(rig.client->calls.isEmpty());
            QVERIFY(notice->isVisible());
            QCOMPARE(notice->text(), AIConnectViewModel::keyNotSavedNotice);
            QVERIFY(rig.model().messages().isEmpty());
        }
    }

    void providerSwitchLoadsThatProvidersSettings()
    {
        ScreenRig rig(true, true);
        AIConnectSettings claude = AIConnectSettings::defaults(AIProvider::anthropic);
        claude.modelID = "claude-custom";
        // Off the slider's 0.1 grid: showing it must not round it into a save.
        claude.temperature = 1.26;
        claude.maxTokens = 2048;
        claude.systemPrompt = "Be brief";
        claude.contextNotes = "Notes for Claude";
        rig.settings.save(claude, AIProvider::anthropic);
        const QVariant storedClaude = rig.defaults.value(AISettingsStore::storageKey(AIProvider::anthropic));
        rig.find<QLineEdit>("apiKeyField")->setText("sk-typed");
        rig.find<QLineEdit>("draftField")->setText("hello");
        rig.click("sendButton");
        QCOMPARE(rig.bubbles().size(), 2);

        rig.chooseProvider(AIProvider::anthropic);
        QVERIFY(rig.find<QLineEdit>("apiKeyField")->text().isEmpty());
        QVERIFY(rig.client->calls.first().cancelled);
        QCOMPARE(rig.find<QLineEdit>("customModelField")->text(), QString("claude-custom"));
        QCOMPARE(rig.find<QComboBox>("modelPicker")->currentIndex(), -1);
        QCOMPARE(rig.find<QLabel>("temperatureLabel")->text(), QString("Temperature 1.3"));
        QCOMPARE(rig.find<Stepper>("maxTokensStepper")->text(), QString("Max 2048"));
        QCOMPARE(rig.find<QPlainTextEdit>("systemPromptEditor")->toPlainText(), QString("Be brief"));
        QCOMPARE(rig.find<QPlainTextEdit>("contextNotesEditor")->toPlainText(), QString("Notes for Claude"));
        QVERIFY(rig.view->setupPanel()->isVisible());
        QVERIFY(!rig.view->chatPanel()->isVisible());
        // Nothing was saved on the way: neither the old settings under the new key nor the loaded ones.
        QCOMPARE(rig.defaults.value(AISettingsStore::storageKey(AIProvider::anthropic)), storedClaude);
        QVERIFY(!rig.defaults.value(AISettingsStore::storageKey(AIProvider::openAI)).isValid());

        rig.find<QSlider>("temperatureSlider")->setValue(20);
        QCOMPARE(rig.settings.load(AIProvider::anthropic).temperature, 2.0);
        QCOMPARE(rig.find<QLabel>("temperatureLabel")->text(), QString("Temperature 2.0"));

        rig.chooseProvider(AIProvider::openAI);
        QVERIFY(rig.view->chatPanel()->isVisible());
        QCOMPARE(rig.find<QLineEdit>("customModelField")->text(), QString("gpt-4o"));
        QCOMPARE(rig.find<QComboBox>("modelPicker")->currentIndex(), 0);
    }

    void settingsEditsAreSavedAsMade()
    {
        ScreenRig rig;
        auto* custom = rig.find<QLineEdit>("customModelField");
        custom->clear();
        QTest::keyClicks(custom, "my-model");
        QCOMPARE(rig.settings.load(AIProvider::openAI).modelID, QString("my-model"));
        QCOMPARE(rig.find<QComboBox>("modelPicker")->currentIndex(), -1);

        auto* picker = rig.find<QComboBox>("modelPicker");
        emit picker->activated(2);
        const QString second = AIProviders::modelOptions(AIProvider::openAI).at(2).id;
        QCOMPARE(custom->text(), second);
        QCOMPARE(rig.settings.load(AIProvider::openAI).modelID, second);

        auto* stepper = rig.find<Stepper>("maxTokensStepper");
        QTest::mouseClick(stepper->plusButton(), Qt::LeftButton);
        QCOMPARE(rig.settings.load(AIProvider::openAI).maxTokens, 1200 + 128);
        for (int i = 0; i < 20; ++i)
            QTest::mouseClick(stepper->minusButton(), Qt::LeftButton);
        QCOMPARE(rig.settings.load(AIProvider::openAI).maxTokens, 128);
        QCOMPARE(stepper->text(), QString("Max 128"));
        QVERIFY(!stepper->minusButton()->isEnabled());

        QTest::keyClicks(rig.find<QPlainTextEdit>("contextNotesEditor"), "<b>notes</b>");
        QCOMPARE(rig.settings.load(AIProvider::openAI).contextNotes, QString("<b>notes</b>"));

        // Every line, typed or loaded, keeps its shaped glyphs for the next paint.
        for (const char* name : {"contextNotesEditor", "systemPromptEditor"}) {
            auto* editor = rig.find<QPlainTextEdit>(name);
            QTest::keyClicks(editor, "first");
            QTest::keyClick(editor, Qt::Key_Return);
            QTest::keyClicks(editor, "second");
            editor->setPlainText(editor->toPlainText() + "\nthird\nfourth");
            QCOMPARE(editor->document()->blockCount(), 4);
            for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next())
                QVERIFY2(block.layout()->cacheEnabled(), qPrintable(name + QString(": ") + block.text()));
        }
    }

    void screenFitsTheWindow_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QSize>("size");
        // The smallest window is 1000 x 650, of which the band with the strip takes the top 50.
        for (const bool connected : {true, false}) {
            const char* state = connected ? "connected" : "not connected";
            QTest::addRow("%s, smallest window", state) << connected << QSize(1000, 600);
            QTest::addRow("%s, large window", state) << connected << QSize(2560, 1390);
        }
    }
    // The page never scrolls at these sizes: once connected, the composer sits inside it with the
    // transcript taking the height left; each label stays 5 points above its editor however much
    // height there is, also with the settings unfolded in a chat; and the instructions editor,
    // whose text fits, shows no scroll bar.
    void screenFitsTheWindow()
    {
        QFETCH(bool, connected);
        QFETCH(QSize, size);
        ScreenRig rig(true, connected);
        ScreenWidth::limit(rig.view.get());
        rig.view->resize(size);
        QCoreApplication::processEvents();
        auto* page = rig.find<QScrollArea>("page");
        QCOMPARE(page->verticalScrollBar()->maximum(), 0);
        const auto placeIn = [&](const QWidget* widget) {
            return QRect(widget->mapTo(rig.view.get(), QPoint(0, 0)), widget->size());
        };
        if (connected) {
            const QRect composer = placeIn(rig.find<QWidget>("draftField"));
            QVERIFY(rig.view->rect().contains(composer));
            auto* transcript = rig.find<QWidget>("transcript");
            QVERIFY(transcript->height() >= AIMessageBubble::heightOfLines(AIConnectChatPanel::transcriptLeastLines));
            // The transcript, not the page, has what is left.
            QVERIFY(rig.view->height() - composer.bottom() < 60);
            rig.click("settingsToggle");
            QCoreApplication::processEvents();
        }
        const QList<QLabel*> labels = rig.view->findChildren<QLabel*>();
        for (const auto& [text, editor] : {std::pair{"Model", "modelPicker"}, {"AI instructions", "systemPromptEditor"},
                                           {"Saved context", "contextNotesEditor"}}) {
            // The binding is copied in: clang 14 cannot capture it.
            const auto label =
                std::find_if(labels.begin(), labels.end(), [name = text](QLabel* l) { return l->text() == name; });
            QVERIFY(label != labels.end());
            // Measured from the label's text, which a label taller than it needs would float in.
            const int textBottom = placeIn(*label).top() + (*label)->sizeHint().height();
            const int gap = placeIn(rig.find<QWidget>(editor)).top() - textBottom;
            QVERIFY2(gap >= 0 && gap <= 8, qPrintable(QString("%1: %2 px").arg(text).arg(gap)));
        }
        auto* instructions = rig.find<QPlainTextEdit>("systemPromptEditor");
        QVERIFY(!instructions->verticalScrollBar()->isVisible());
        QVERIFY(!instructions->horizontalScrollBar()->isVisible());
    }

    void chatHasTheHeightOfTheSmallestWindow_data()
    {
        QTest::addColumn<int>("stallMs");
        QTest::newRow("GUI thread free") << 0;
        QTest::newRow("GUI thread held for 100 ms") << 100;
    }
    // With two chips, a notice and a long reply in the smallest window, the page stays put and the
    // transcript shows at least five lines of the reply, whose end is in view however late the
    // layout settles.
    void chatHasTheHeightOfTheSmallestWindow()
    {
        QFETCH(int, stallMs);
        ScreenRig rig(true, true);
        ScreenWidth::limit(rig.view.get());
        rig.view->resize(1000, 600);
        rig.client->addFile("/f/fps-notes.md");
        rig.client->addFile("/f/GameUserSettings.ini");
        rig.filePicker->chosen = {"/f/fps-notes.md", "/f/GameUserSettings.ini", "/f/unreadable.png"};
        rig.model().send("Which settings first?", false);
        rig.click("attachFilesButton");
        QTRY_VERIFY(!rig.model().isImportingContext());
        QCOMPARE(rig.view->chatPanel()->chips().size(), 2);
        QVERIFY(rig.find<QWidget>("noticeRow")->isVisible());
        QVERIFY(rig.find<QWidget>("attachmentStrip")->isVisible());

        holdGuiThread(std::chrono::milliseconds(stallMs));
        QStringList lines;
        for (int i = 1; i <= 40; ++i)
            lines.append(QStringLiteral("Line %1 of the reply.").arg(i));
        rig.client->answer(0, AIChatOutcome::success(lines.join('\n'), std::nullopt));
        holdGuiThread(std::chrono::milliseconds(stallMs));

        auto* transcript = rig.view->chatPanel()->transcript();
        const QLabel* reply = rig.bubbles().last()->label();
        const auto replyBottomInView = [&] { return reply->mapTo(transcript->viewport(), QPoint(0, reply->height())).y(); };
        QTRY_COMPARE(replyBottomInView(), transcript->viewport()->height());
        QCOMPARE(rig.find<QScrollArea>("page")->verticalScrollBar()->maximum(), 0);
        const int lineHeight = reply->fontMetrics().lineSpacing();
        const int visibleText = std::min(reply->height(), transcript->viewport()->height()) - 2 * 10;
        QVERIFY2(visibleText >= AIConnectChatPanel::transcriptLeastLines * lineHeight,
                 qPrintable(QString("%1 px of text, lines of %2 px").arg(visibleText).arg(lineHeight)));
    }

    // The settings fold away while a chat is open and come back on request; the setup always
    // shows them.
    void settingsFoldWhileChatting()
    {
        ScreenRig rig(true, true);
        auto* card = rig.find<QWidget>("settingsCard");
        auto* toggle = rig.find<GradientButton>("settingsToggle");
        QVERIFY(!card->isVisible());
        QCOMPARE(toggle->text(), QString("Show Settings"));
        rig.click("settingsToggle");
        QVERIFY(card->isVisible());
        QCOMPARE(toggle->text(), QString("Hide Settings"));
        auto* stepper = rig.find<Stepper>("maxTokensStepper");
        QTest::mouseClick(stepper->plusButton(), Qt::LeftButton);
        QCOMPARE(rig.settings.load(AIProvider::openAI).maxTokens, 1200 + 128);

        rig.click("settingsToggle");
        QVERIFY(!card->isVisible());
        rig.click("disconnectButton");
        QVERIFY(card->isVisible());
        QVERIFY(!toggle->isVisible());
    }

    void statusSaysHowTheLastRequestWent_data()
    {
        QTest::addColumn<bool>("test");
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<QString>("status");
        QTest::newRow("test answered") << true << true << "Connected to OpenAI";
        QTest::newRow("test failed") << true << false << "OpenAI key saved \u00b7 connection test failed";
        QTest::newRow("message failed") << false << false << "OpenAI key saved \u00b7 last request failed";
    }
    // A failed request changes what the status claims, not what is stored: the key stays, the
    // chat stays open, and the next answered request or a new connect restores the status.
    void statusSaysHowTheLastRequestWent()
    {
        QFETCH(bool, test);
        QFETCH(bool, succeeded);
        ScreenRig rig(true, true);
        auto* status = rig.find<TextLabel>("connectedLabel");
        const QColor connectedColor = status->color();
        if (test)
            rig.click("testButton");
        else
            rig.model().send("hello", false);
        rig.client->answer(0, succeeded ? AIChatOutcome::success("OK", std::nullopt)
                                        : AIChatOutcome::failure(AIServiceError::noConnection()));
        QTEST(status->text(), "status");
        QCOMPARE(status->color() == connectedColor, succeeded);
        QVERIFY(rig.model().isConnected());
        QCOMPARE(rig.keys.load(AIProvider::openAI), std::optional<QString>("sk-stored"));

        rig.model().send("again", false);
        rig.client->answer(1, AIChatOutcome::success("fine", std::nullopt));
        QCOMPARE(status->text(), QString("Connected to OpenAI"));
        QCOMPARE(status->color(), connectedColor);
    }

    void removingChips()
    {
        ScreenRig rig(true, true);
        rig.client->addFile("/f/a.txt");
        rig.client->addFile("/f/b.txt");
        rig.filePicker->chosen = {"/f/a.txt", "/f/b.txt"};
        auto* strip = rig.find<QWidget>("attachmentStrip");
        QVERIFY(!strip->isVisible());
        rig.click("attachFilesButton");
        QCOMPARE(rig.filePicker->titles, QStringList{"Attach"});
        QVERIFY(rig.find<QLabel>("loadingLabel")->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return rig.view->chatPanel()->chips().size() == 2; }, 2000));
        QVERIFY(strip->isVisible());
        QVERIFY(!rig.find<QLabel>("loadingLabel")->isVisible());

        QTest::mouseClick(rig.view->chatPanel()->chips().first()->removeButton(), Qt::LeftButton);
        QCOMPARE(rig.model().attachments().size(), 1);
        QCOMPARE(rig.model().attachments().first().source, QString("b.txt"));
        QCOMPARE(rig.view->chatPanel()->chips().size(), 1);
        QTest::mouseClick(rig.view->chatPanel()->chips().first()->removeButton(), Qt::LeftButton);
        QVERIFY(rig.model().attachments().isEmpty());
        QVERIFY(!strip->isVisible());

        rig.filePicker->chosen.clear();
        rig.click("attachFilesButton");
        QVERIFY(!rig.model().isImportingContext());
    }

    void sendAndStop()
    {
        ScreenRig rig(true, true);
        auto* draft = rig.find<QLineEdit>("draftField");
        auto* send = rig.find<SymbolTileButton>("sendButton");
        auto* stop = rig.find<SymbolTileButton>("stopButton");
        draft->setText("  \n ");
        QVERIFY(!send->isEnabled());
        QTest::keyClick(draft, Qt::Key_Return);
        QVERIFY(rig.client->calls.isEmpty());
        QCOMPARE(draft->text(), QString("  \n "));

        draft->setText("  hello  ");
        QVERIFY(send->isEnabled());
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(rig.client->calls.first().history.last().content, QString("hello"));
        QVERIFY(draft->text().isEmpty());
        QVERIFY(stop->isVisible());
        QVERIFY(!send->isVisible());
        QVERIFY(rig.view->chatPanel()->transcript()->typingRow()->isVisible());
        QVERIFY(!rig.find<QAbstractButton>("testButton")->isEnabled());

        QTest::mouseClick(stop, Qt::LeftButton);
        QVERIFY(!stop->isVisible());
        QVERIFY(send->isVisible());
        QVERIFY(!rig.view->chatPanel()->transcript()->typingRow()->isVisible());
        QVERIFY(rig.find<QAbstractButton>("testButton")->isEnabled());
    }

    void markupIsShownLiterally()
    {
        ScreenRig rig(true, true);
        const QString markup = "<b>bold</b> <a href=\"https://x.example\">link</a> &amp; <img src=\"x\">";
        rig.client->files.insert("/f/<i>t</i>.txt", FakeAIProviderClient::attachment(AIContextKind::file, "<i>t</i>.txt",
                                                                                       "<i>t</i>.txt", markup));
        rig.filePicker->chosen = {"/f/<i>t</i>.txt", "/f/<u>missing</u>"};
        rig.click("attachFilesButton");
        QVERIFY(QTest::qWaitFor([&] { return !rig.model().isImportingContext(); }, 2000));
        QCOMPARE(rig.find<QLabel>("chipTitle")->text(), QString("<i>t</i>.txt"));
        QVERIFY(rig.find<QLabel>("chatNotice")->text().contains("<u>missing</u>"));
        auto everyLabelIsPlain = [&] {
            const auto labels = rig.view->findChildren<QLabel*>();
            for (const QLabel* label : labels)
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName() + ": " + label->text()));
        };
        everyLabelIsPlain();
        rig.model().send(markup, false);
        rig.client->answer(0, AIChatOutcome::success(markup, std::nullopt));
        QCOMPARE(rig.bubbles().last()->label()->text(), markup);
        everyLabelIsPlain();
    }

    void linkSheet()
    {
        ScreenRig rig(true, true);
        AILinkSheet* sheet = rig.view->linkSheet();
        QVERIFY(!sheet->isVisible());
        rig.click("addLinkButton");
        QVERIFY(sheet->isVisible());
        auto* field = rig.find<QLineEdit>("linkField");
        QTest::keyClicks(field, "   ");
        QVERIFY(!rig.find<GradientButton>("attachLinkButton")->isEnabled());
        rig.click("cancelLinkButton");
        QVERIFY(!sheet->isVisible());
        QVERIFY(field->text().isEmpty());

        // Escape closes it as Cancel does, and the focus goes back to the button that opened it.
        QApplication::setActiveWindow(rig.view.get());
        QVERIFY(QTest::qWaitForWindowActive(rig.view.get()));
        auto* addLink = rig.find<QAbstractButton>("addLinkButton");
        addLink->setFocus(Qt::TabFocusReason);
        QTest::keyClick(addLink, Qt::Key_Space);
        QVERIFY(sheet->isVisible());
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClicks(field, "https://docs.example/b");
        // Tab goes round the sheet's own controls only.
        for (const char* next : {"cancelLinkButton", "attachLinkButton", "linkField"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!sheet->isVisible());
        QVERIFY(field->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), addLink);

        rig.click("addLinkButton");
        QTest::keyClicks(field, " https://docs.example/a ");
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(sheet->isVisible());
        QVERIFY(rig.client->fetchedLinks.isEmpty());
        rig.click("attachLinkButton");
        QVERIFY(!sheet->isVisible());
        QVERIFY(field->text().isEmpty());
        QCOMPARE(rig.client->fetchedLinks, QStringList{"https://docs.example/a"});
        QVERIFY(QTest::qWaitFor([&] { return !rig.model().isImportingContext(); }, 2000));
        QCOMPARE(rig.find<QLabel>("chatNotice")->text(), AIServiceError::invalidContextURL().errorDescription());
    }

    void returnAfterConnectKeepsTheKey_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("requests"); // sent by the press itself
        QTest::newRow("Connect") << "connectButton" << 0;
        QTest::newRow("Connect & Test") << "connectAndTestButton" << 1;
    }

    // Return on a Connect button, then Return again where the focus went: the key stays stored, the
    // chat stays, nothing more is sent, and Disconnect is still a Tab stop, back from there.
    void returnAfterConnectKeepsTheKey()
    {
        QFETCH(QString, button);
        QFETCH(int, requests);
        // Return presses the focused button, as in the application.
        AppStyle::install();
        ScreenRig rig;
        QApplication::setActiveWindow(rig.view.get());
        QVERIFY(QTest::qWaitForWindowActive(rig.view.get()));
        QTest::keyClicks(rig.find<QLineEdit>("apiKeyField"), "sk-typed-key");
        auto* connectButton = rig.find<QAbstractButton>(qPrintable(button));
        connectButton->setFocus(Qt::TabFocusReason);
        QTest::keyClick(connectButton, Qt::Key_Return);
        auto* draft = rig.find<QLineEdit>("draftField");
        QTRY_COMPARE(QApplication::focusWidget(), draft);
        QTest::keyClick(draft, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(rig.keys.load(AIProvider::openAI), std::optional<QString>("sk-typed-key"));
        QVERIFY(rig.model().isConnected());
        QVERIFY(rig.view->chatPanel()->isVisible());
        QCOMPARE(rig.client->calls.size(), requests);

        QWidget* disconnect = rig.find<QWidget>("disconnectButton");
        for (int presses = 0; presses < 12 && QApplication::focusWidget() != disconnect; ++presses)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), disconnect);
    }

    void getAPIKeyOpensTheProvidersPage()
    {
        ScreenRig rig;
        rig.click("getAPIKeyButton");
        rig.chooseProvider(AIProvider::gemini);
        rig.click("getAPIKeyButton");
        QCOMPARE(rig.urlOpener->opened,
                 (QList<QUrl>{AIProviders::apiKeyURL(AIProvider::openAI), AIProviders::apiKeyURL(AIProvider::gemini)}));
    }

    void endToEndAgainstTheLoopbackServer()
    {
        QM_REQUIRE_LOOPBACK();
        LoopbackHttpServer server;
        server.answer({200,
                       R"({"choices":[{"message":{"content":"Hello from the loopback model"}}],)"
                       R"("usage":{"prompt_tokens":42,"completion_tokens":7,"total_tokens":49}})",
                       false,
                       {{"Content-Type", "application/json"}}});
        AIProviderService::Options options;
        options.baseURLs.insert(AIProvider::openAI, server.baseUrl());
        ScreenRig rig(true, false, std::make_unique<AIProviderService>(options));
        const QString notes = rig.folder.path() + "/notes.txt";
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Line one of the notes.\n");
        file.close();
        rig.filePicker->chosen = {notes};

        QTest::keyClicks(rig.find<QLineEdit>("apiKeyField"), "sk-loopback-123");
        rig.click("connectButton");
        QVERIFY(rig.view->chatPanel()->isVisible());
        rig.click("attachFilesButton");
        QVERIFY(QTest::qWaitFor([&] { return rig.view->chatPanel()->chips().size() == 1; }, 5000));
        auto* draft = rig.find<QLineEdit>("draftField");
        QTest::keyClicks(draft, "hello");
        QTest::keyClick(draft, Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([&] { return rig.bubbles().size() == 3; }, 10000));

        QCOMPARE(rig.bubbles().at(1)->message().content, QString("hello\n\n[Attached context: 1 item(s)]"));
        QCOMPARE(rig.bubbles().last()->message().role, ChatRole::assistant);
        QCOMPARE(rig.bubbles().last()->label()->text(), QString("Hello from the loopback model"));
        QCOMPARE(rig.find<QLabel>("usageLabel")->text(), QString("in 42 | out 7 | total 49"));
        QVERIFY(rig.find<QLabel>("usageLabel")->isVisible());

        QCOMPARE(server.requests().size(), 1);
        const auto& request = server.requests().first();
        QCOMPARE(request.path, QString("/v1/chat/completions"));
        QCOMPARE(request.headers.value("authorization"), QByteArray("Bearer sk-loopback-123"));
        const QJsonArray sent = QJsonDocument::fromJson(request.body).object().value("messages").toArray();
        const QString last = sent.last().toObject().value("content").toString();
        QVERIFY2(last.startsWith("User request:\nhello\n\nAttached context from Quillmarsh:\n[Context FILE]\nTitle: notes.txt"),
                 qPrintable(last));
        QVERIFY(last.contains("Line one of the notes."));
    }
};

QM_TEST_MAIN(TestAIConnectView)
#include "tst_AIConnectView.moc"
