#include "TestMain.h"
#include "assistant/QAMatcher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using Topic = std::optional<QString>;

QString writeTable(const QByteArray& json)
{
    static int count = 0;
    const QString path = QDir::tempPath() + QString("/table-%1.json").arg(++count);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(json);
    return path;
}

QByteArray table(const QList<QAEntry>& rows)
{
    QJsonArray array;
    for (const QAEntry& row : rows)
        array.append(QJsonObject{{"id", row.id},
                                 {"question", row.question},
                                 {"keywords", QJsonArray::fromStringList(row.keywords)},
                                 {"answer", row.answer}});
    return QJsonDocument(array).toJson();
}

const QString cleanerHowTo = QAMatcher::topicHowTo("cleaner");
const QString cleanerOverview = QAMatcher::topicOverview("cleaner");

} // namespace

class TestQAMatcher : public QObject {
    Q_OBJECT
private slots:
    void match_data()
    {
        QTest::addColumn<QString>("question");
        QTest::addColumn<Topic>("lastTopic");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<Topic>("topic");
        const Topic limiter = QString("frame limiter");
        const Topic none;
        QTest::newRow("nothing left keeps the topic") << "?!" << limiter << QAMatcher::fallbackMessage << limiter;
        QTest::newRow("hi") << "hi" << limiter << QAMatcher::helloReply << limiter;
        QTest::newRow("hey bro") << "Hey bro!" << none << QAMatcher::helloReply << none;
        QTest::newRow("thanks bro") << "thanks bro" << none << QAMatcher::thanksReply << none;
        QTest::newRow("thank u: one letter dropped") << "thank u" << none << QAMatcher::thanksReply << none;
        QTest::newRow("thank you is more than thanks")
            << "thank you" << none << QAMatcher::fallbackMessage << none;
        QTest::newRow("good morning is more than a greeting")
            << "good morning" << none << QAMatcher::fallbackMessage << none;
        QTest::newRow("how-to") << "how do i use the cleaner" << none << cleanerHowTo << Topic("cleaner");
        QTest::newRow("overview") << "what does the cleaner do" << none << cleanerOverview << Topic("cleaner");
        QTest::newRow("praise rule before the safety rule")
            << "is the cleaner safe" << none << QString() << Topic("cleaner");
        QTest::newRow("uninstall rule although the topic is install")
            << "how do i uninstall" << none << QString() << Topic("uninstall");
        QTest::newRow("typo corrected into a topic")
            << "how do i use the menubar" << none << QAMatcher::topicHowTo("menu bar") << Topic("menu bar");
        QTest::newRow("substring topic") << "press" << none << QAMatcher::topicOverview("resolution") << Topic("resolution");
        QTest::newRow("follow-up how-to")
            << "how do i use it" << limiter << QAMatcher::topicHowTo("frame limiter") << limiter;
        QTest::newRow("follow-up overview")
            << "how does it work" << limiter << QAMatcher::topicOverview("frame limiter") << limiter;
        QTest::newRow("a word outside the follow-up words carries nothing")
            << "how is it" << limiter << QAMatcher::fallbackMessage << limiter;
        QTest::newRow("seven distinct tokens carry nothing")
            << "so how do we go about it" << limiter << QAMatcher::fallbackMessage << limiter;
        QTest::newRow("crashes is no crash, but its topic") << "it crashes" << none
                                                             << QAMatcher::topicOverview("troubleshooting")
                                                             << Topic("troubleshooting");
        QTest::newRow("without a topic: best settings") << "best settings" << none << QString() << Topic("optimizers");
    }
    void match()
    {
        QFETCH(QString, question);
        QFETCH(Topic, lastTopic);
        QFETCH(QString, answer);
        QFETCH(Topic, topic);
        const QAMatcher::Reply reply = QAMatcher::shared().match(question, lastTopic);
        QCOMPARE(reply.topic, topic);
        if (!answer.isEmpty())
            QCOMPARE(reply.answer, answer);
    }

    void ruleAnswersOpenWithTheirFixedSentence_data()
    {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("opening");
        QTest::newRow("praise") << "is the cleaner safe" << "Cleaner is good for caches, logs, temporary files, and storage clutter.";
        QTest::newRow("uninstall") << "how do i uninstall"
                                   << "To uninstall Quillmarsh, use Clean Uninstall in Settings first";
        QTest::newRow("safety before privacy")
            << "is it secure to clean" << "Cleaner is safest when you scan first, review the categories";
        QTest::newRow("privacy") << "privacy" << "Quillmarsh keeps normal assistant help local.";
    }
    void ruleAnswersOpenWithTheirFixedSentence()
    {
        QFETCH(QString, question);
        QFETCH(QString, opening);
        QVERIFY2(QAMatcher::shared().match(question, std::nullopt).answer.startsWith(opening), qPrintable(question));
    }

    void answersNameWhatLinuxHas_data()
    {
        QTest::addColumn<QString>("answer");
        for (const char* topic : {"assistant", "ai connect", "resolution", "cleaner", "optimizers", "frame limiter",
                                  "dashboard", "game profiles", "menu bar", "purge ram", "troubleshooting", "system",
                                  "export", "no such topic"}) {
            QTest::newRow(qPrintable(QString(topic) + ", overview")) << QAMatcher::topicOverview(topic);
            QTest::newRow(qPrintable(QString(topic) + ", how-to")) << QAMatcher::topicHowTo(topic);
        }
        for (const char* question : {"how do i uninstall", "is purge ram safe", "what do the readings mean"})
            QTest::newRow(question) << QAMatcher::shared().match(question, std::nullopt).answer;
        for (const QAEntry& entry : QAMatcher::builtInEntries())
            QTest::newRow(qPrintable(entry.question)) << entry.answer;
        QFile shipped(QAMatcher::tableResource);
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        for (const QAEntry& entry : QAEntry::listFromJson(shipped.readAll()).value_or(QList<QAEntry>{}))
            QTest::newRow(qPrintable(entry.question)) << entry.answer;
    }
    // The assistant speaks of the system this build runs on, not of macOS and its parts.
    void answersNameWhatLinuxHas()
    {
        QFETCH(QString, answer);
        static const QRegularExpression mac("\\b(macOS|Mac|Finder|Dock|Apple|Metal)\\b|\\.app\\b");
        QVERIFY2(!mac.match(answer).hasMatch(), qPrintable(answer));
    }

    void scoring_data()
    {
        QTest::addColumn<QList<QAEntry>>("rows");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("answer");
        // One of two content words shared (0.5), no phrase, five edits in ten characters (0.2 × 0.5): 0.6.
        QTest::newRow("below the bar") << QList<QAEntry>{{1, "zeta xyzzy", {}, "A"}} << "zeta kappa"
                                       << QAMatcher::fallbackMessage;
        // The same share of words, but the question is part of the row's: 0.5 + 0.4 + more.
        QTest::newRow("a phrase lifts one shared word") << QList<QAEntry>{{1, "lambda mu", {}, "B"}} << "lambda" << "B";
        QTest::newRow("a tie keeps the earlier row")
            << QList<QAEntry>{{1, "zeta kappa", {}, "first"}, {2, "zeta kappa", {}, "second"}} << "zeta kappa" << "first";
        QTest::newRow("filler cut from the answer")
            << QList<QAEntry>{{1, "zeta kappa", {}, "Answer. This applies to gaming usage and keeps the existing app workflow simple."}}
            << "zeta kappa" << "Answer.";
        QTest::newRow("keywords widen the row")
            << QList<QAEntry>{{1, "zeta", {"kappa", "omega"}, "C"}} << "kappa omega" << "C";
    }
    void scoring()
    {
        QFETCH(QList<QAEntry>, rows);
        QFETCH(QString, question);
        QFETCH(QString, answer);
        const QAMatcher matcher(writeTable(table(rows)));
        QCOMPARE(matcher.match(question, std::nullopt).answer, answer);
    }

    void exactlyTheAcceptScoreAnswers()
    {
        // One of two content words shared (0.5), no phrase, and the texts ten characters apart by
        // four edits (0.2 × 0.6): 0.62.
        const QAMatcher matcher(writeTable(table({{1, "zz abcwxyz", {}, "exact"}})));
        QCOMPARE(0.5 + 0.2 * QAMatcher::textSimilarity("zz abcdefg", "zz abcwxyz"), QAMatcher::acceptScore);
        QCOMPARE(matcher.match("zz abcdefg", std::nullopt).answer, "exact");
    }

    // An unpaired surrogate (pasted half of an emoji) must not stop the other characters from being
    // folded; it becomes one more character outside the alphabet.
    void normalizing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("punctuation and runs") << "  Clean,\tthe   CACHE!? " << "clean the cache";
        QTest::newRow("lone high surrogate") << QString("Clean,") + QChar(0xD83D) + "now!" << "clean now";
        QTest::newRow("lone low surrogate last") << QString("Boost?") + QChar(0xDE00) << "boost";
        QTest::newRow("low before high") << QString("a") + QChar(0xDE00) + QChar(0xD83D) + "b" << "a b";
        QTest::newRow("paired emoji") << QString("fps") + QChar(0xD83D) + QChar(0xDE00) + "now" << "fps now";
    }
    void normalizing()
    {
        QFETCH(QString, text);
        QFETCH(QString, normalized);
        QCOMPARE(QAMatcher::normalize(text), normalized);
    }

    void levenshtein_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("distance");
        QTest::newRow("empty") << "" << "abc" << 3;
        QTest::newRow("kitten") << "kitten" << "sitting" << 3;
        QTest::newRow("same") << "flaw" << "flaw" << 0;
    }
    void levenshtein()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, distance);
        QCOMPARE(QAMatcher::levenshteinDistance(a, b), distance);
    }

    void unusableTablesFallBackToTheBuiltInRow_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("missing key") << QByteArray(R"([{"id":1,"question":"q","answer":"a"}])");
        QTest::newRow("wrong type") << QByteArray(R"([{"id":"1","question":"q","keywords":[],"answer":"a"}])");
        QTest::newRow("fractional id") << QByteArray(R"([{"id":1.5,"question":"q","keywords":[],"answer":"a"}])");
        QTest::newRow("not an array") << QByteArray(R"({"id":1})");
        QTest::newRow("not JSON") << QByteArray("[{");
    }
    void unusableTablesFallBackToTheBuiltInRow()
    {
        QFETCH(QByteArray, json);
        const QAMatcher matcher(writeTable(json));
        QCOMPARE(matcher.entries().size(), 1);
        QCOMPARE(matcher.match("what is quillmarsh", std::nullopt).answer, QAMatcher::builtInEntries().first().answer);
    }

    void anEmptyTableAnswersNothing()
    {
        const QAMatcher matcher(writeTable("[]"));
        QVERIFY(matcher.entries().isEmpty());
        QCOMPARE(matcher.match("what is quillmarsh", std::nullopt).answer, QAMatcher::fallbackMessage);
    }

    // The shipped table: every row decodes, ids are unique, no answer is empty, and each row's own
    // question reaches that row, not a greeting, a topic, a rule or an earlier row.
    void shippedTable()
    {
        const QAMatcher& matcher = QAMatcher::shared();
        QVERIFY(matcher.entries().size() >= 30);
        QSet<qint64> ids;
        for (const QAEntry& row : matcher.entries()) {
            QVERIFY2(!ids.contains(row.id), qPrintable(QString::number(row.id)));
            ids.insert(row.id);
            QVERIFY2(!row.answer.trimmed().isEmpty(), qPrintable(row.question));
            const QAMatcher::Reply reply = matcher.match(row.question, std::nullopt);
            QVERIFY2(reply.answer == row.answer.trimmed() && !reply.topic, qPrintable(row.question + " → " + reply.answer));
        }
    }
};

QM_TEST_MAIN(TestQAMatcher)
#include "tst_QAMatcher.moc"
