#include "GuiStall.h"
#include "TestMain.h"
#include "assistant/AIAssistantViewModel.h"
#include "assistant/QAMatcher.h"
#include "screens/assistant/AIAssistantView.h"
#include "screens/assistant/AIMessageBubble.h"
#include "screens/assistant/TypingBubble.h"
#include "style/SymbolTileButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// Replies wait until the test runs them; the clock and the random source are fixed.
struct Rig {
    explicit Rig(double random = 0.5)
        : model(QAMatcher::shared(),
                {[] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC); }, [random] { return random; },
                 [this](std::chrono::milliseconds delay, std::function<void()> reply) {
                     delays.append(delay);
                     pending.append(std::move(reply));
                 }})
    {
    }

    void answerNext() { pending.takeFirst()(); }

    QList<std::chrono::milliseconds> delays;
    QList<std::function<void()>> pending;
    AIAssistantViewModel model;
};

QStringList contents(const AIAssistantViewModel& model)
{
    QStringList texts;
    for (const ChatMessage& m : model.messages())
        texts.append(ChatRoles::rawValue(m.role) + ": " + m.content);
    return texts;
}

} // namespace

class TestAIAssistantViewModel : public QObject {
    Q_OBJECT
private slots:
    void delayCoversBothEndsOfItsRange_data()
    {
        QTest::addColumn<double>("random");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("lowest") << 0.0 << 550;
        QTest::newRow("highest") << 1.0 << 900;
        QTest::newRow("out of range is held to it") << 1.5 << 900;
    }
    void delayCoversBothEndsOfItsRange()
    {
        QFETCH(double, random);
        QFETCH(int, delayMs);
        Rig rig(random);
        rig.model.send("hi");
        QCOMPARE(rig.delays, QList<std::chrono::milliseconds>{std::chrono::milliseconds(delayMs)});
    }

    void aQuestionIsTypedThenAnswered()
    {
        Rig rig;
        rig.model.send("how do i use the cleaner");
        QVERIFY(rig.model.isTyping());
        QCOMPARE(rig.model.messages().size(), 2);
        rig.answerNext();
        QVERIFY(!rig.model.isTyping());
        QCOMPARE(contents(rig.model).last(), "assistant: " + QAMatcher::topicHowTo("cleaner"));
        QCOMPARE(rig.model.lastTopic(), QString("cleaner"));
        QCOMPARE(rig.model.messages().last().date, QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC));
    }

    void greetingsAndTableAnswersKeepTheTopic()
    {
        Rig rig;
        for (const QString& question : {QString("what does the cleaner do"), QString("hello"),
                                        QString("Does it work on Wayland?")}) {
            rig.model.send(question);
            rig.answerNext();
            QCOMPARE(rig.model.lastTopic(), QString("cleaner"));
        }
        rig.model.send("how do i use it");
        rig.answerNext();
        QCOMPARE(contents(rig.model).last(), "assistant: " + QAMatcher::topicHowTo("cleaner"));
    }

    void resetWhileAnAnswerIsPending()
    {
        Rig rig;
        rig.model.send("what does the cleaner do");
        rig.answerNext();
        rig.model.send("privacy");
        rig.model.reset();
        QVERIFY(rig.model.isTyping());
        QVERIFY(!rig.model.lastTopic());
        QCOMPARE(contents(rig.model), QStringList{"assistant: " + AIAssistantViewModel::openingText});
        rig.answerNext();
        QVERIFY(!rig.model.isTyping());
        QCOMPARE(rig.model.messages().size(), 2);
        QCOMPARE(rig.model.lastTopic(), QString("privacy"));
    }

    void screenSendsTrimmedDraftsAndBlocksSendWhileTyping()
    {
        Rig rigObject;
        Rig* rig = &rigObject;
        AIAssistantView view(nullptr, &rig->model);
        view.resize(1000, 650);
        view.show();
        auto* field = view.findChild<QLineEdit*>("draftField");
        auto* send = view.findChild<SymbolTileButton*>("sendButton");
        QVERIFY(!send->isEnabled());

        field->setText(" \t ");
        QVERIFY(!send->isEnabled());
        view.submitDraft();
        QCOMPARE(field->text(), " \t ");
        QCOMPARE(rig->model.messages().size(), 1);

        field->setText("  <b>what is ping?</b>  ");
        QVERIFY(send->isEnabled());
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(field->text(), "");
        QCOMPARE(rig->model.messages().last().content, "<b>what is ping?</b>");
        field->setText("more");
        QVERIFY(!send->isEnabled());
        QTRY_VERIFY(view.findChild<TypingBubble*>()->isVisible());

        // Return still submits while an answer is on its way.
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(rig->pending.size(), 2);
        rig->answerNext();
        QVERIFY(!rig->model.isTyping());
        rig->answerNext();

        const QList<AIMessageBubble*> bubbles = view.findChildren<AIMessageBubble*>();
        QCOMPARE(bubbles.size(), 5);
        QApplication::processEvents();
        // The user's bubbles keep the right edge, the assistant's the left; markup stays text.
        const AIMessageBubble* question = bubbles.at(1);
        const AIMessageBubble* answer = bubbles.at(3);
        QCOMPARE(question->label()->textFormat(), Qt::PlainText);
        QCOMPARE(question->label()->text(), "<b>what is ping?</b>");
        QCOMPARE(question->label()->geometry().right(), question->width() - 1);
        QCOMPARE(answer->label()->geometry().left(), 0);
        QVERIFY(answer->label()->width() <= answer->width() - AIMessageBubble::freeSide);
    }

    void autoScrollBringsTheLastMessageToTheBottomEdge_data()
    {
        QTest::addColumn<int>("stallMs");
        QTest::newRow("GUI thread free") << 0;
        QTest::newRow("GUI thread held for 100 ms") << 100;
    }
    // While a reply is awaited the list scrolls so that the last message sits at the bottom edge,
    // the typing row below it out of sight, however late the layout settles.
    void autoScrollBringsTheLastMessageToTheBottomEdge()
    {
        QFETCH(int, stallMs);
        Rig rig;
        AIAssistantView view(nullptr, &rig.model);
        view.resize(1000, 650);
        view.show();
        holdGuiThread(std::chrono::milliseconds(stallMs));
        for (int i = 0; i < 6; ++i) {
            rig.model.send(QStringLiteral("question %1").arg(i));
            rig.answerNext();
        }
        rig.model.send("one more");
        holdGuiThread(std::chrono::milliseconds(stallMs));
        auto* list = view.findChild<QScrollArea*>("messageScroll");
        auto* typing = view.findChild<TypingBubble*>();
        QTRY_VERIFY(typing->isVisible());
        const auto lastBottomInView = [&] {
            const QList<AIMessageBubble*> bubbles = view.findChildren<AIMessageBubble*>();
            const AIMessageBubble* last = bubbles.last();
            return last->mapTo(list->viewport(), QPoint(0, last->height())).y();
        };
        QTRY_VERIFY(list->verticalScrollBar()->maximum() > 0);
        QTRY_COMPARE(lastBottomInView(), list->viewport()->height());
        QVERIFY(typing->mapTo(list->viewport(), QPoint(0, 0)).y() >= list->viewport()->height());
    }
};

QM_TEST_MAIN(TestAIAssistantViewModel)
#include "tst_AIAssistantViewModel.moc"
