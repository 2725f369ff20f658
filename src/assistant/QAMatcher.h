#pragma once

#include "QAEntry.h"

#include <QList>
#include <QSet>
#include <QString>
#include <optional>

// The local assistant's offline answers: a greeting check, topic detection with a follow-up
// carry-over, an ordered table of intent rules, and last a weighted match against the question
// table shipped with the application. It never fails: without a fitting answer it gives the
// fallback message. After construction it holds no changing state, so match() may run on any thread.
class QAMatcher {
public:
    struct Reply {
        QString answer;
        std::optional<QString> topic;
        bool operator==(const Reply&) const = default;
    };

    static inline const QString tableResource = QStringLiteral(":/qa_data.json");
    static inline const QString fallbackMessage = QStringLiteral(
        "I can help with Quillmarsh setup, cleanup, FPS, resolution, menu bar readings, AI Connect, and uninstall "
        "steps. Ask me plainly and I'll keep it simple.");
    static inline const QString helloReply = QStringLiteral(
        "Hey, I'm here. Tell me what you want to do in Quillmarsh and I'll walk you through it.");
    static inline const QString thanksReply = QStringLiteral(
        "You're welcome. I can help with Quillmarsh setup, performance, cleanup, AI Connect, and troubleshooting.");
    // A score needs to reach this for a table row to answer.
    static constexpr double acceptScore = 0.62;

    // The table read from `tablePath`; the one built-in row when it is missing or does not decode.
    explicit QAMatcher(const QString& tablePath = tableResource);
    // Made on first use from the shipped table.
    static const QAMatcher& shared();

    Reply match(const QString& question, const std::optional<QString>& lastTopic) const;

    const QList<QAEntry>& entries() const { return m_entries; }

    static QString normalize(const QString& text);
    static QStringList tokenize(const QString& text);
    static double textSimilarity(const QString& a, const QString& b);
    static int levenshteinDistance(const QString& a, const QString& b);
    static QString topicOverview(const QString& topic);
    static QString topicHowTo(const QString& topic);
    static QList<QAEntry> builtInEntries();

private:
    using Tokens = QSet<QString>;

    static std::optional<QString> greetingReply(const Tokens& tokens);
    static std::optional<QString> detectTopic(const QString& text);
    static std::optional<QString> followUpTopic(const Tokens& tokens, const std::optional<QString>& lastTopic);
    static std::optional<Reply> intentReply(const QString& text, const Tokens& tokens,
                                            const std::optional<QString>& topic);
    std::optional<QString> scoreEntries(const QString& text, const Tokens& tokens) const;

    QList<QAEntry> m_entries;
};
