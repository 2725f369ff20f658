#pragma once

#include "ChatMessage.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <chrono>
#include <functional>
#include <optional>

class QAMatcher;

// The local assistant's conversation: each question gets the matcher's answer after a short,
// random pause that reads as typing. Answers for a model that is gone are dropped.
class AIAssistantViewModel : public QObject {
    Q_OBJECT
public:
    static inline const QString openingText =
        QStringLiteral("Hey, I'm ready. Ask me about setup, cleanup, FPS, resolution, or AI Connect.");
    static constexpr std::chrono::milliseconds shortestDelay{550};
    static constexpr std::chrono::milliseconds longestDelay{900};

    // Runs `reply` on the main thread once `delay` has passed.
    using Scheduler = std::function<void(std::chrono::milliseconds delay, std::function<void()> reply)>;
    struct Sources {
        std::function<QDateTime()> clock;
        // A value from 0 to 1, both ends included.
        std::function<double()> random;
        // Empty: a timer owned by the model.
        Scheduler scheduler;
    };

    explicit AIAssistantViewModel(const QAMatcher& matcher, Sources sources = {}, QObject* parent = nullptr);

    const QList<ChatMessage>& messages() const { return m_messages; }
    bool isTyping() const { return m_isTyping; }
    const std::optional<QString>& lastTopic() const { return m_lastTopic; }

    // Starts again from a new opening message; an answer still on its way is shown after it.
    void reset();
    // Adds the question as the user's message and schedules its answer. The caller trims it.
    void send(const QString& text);

signals:
    void messagesChanged();
    void typingChanged();

private:
    ChatMessage message(ChatRole role, const QString& content) const;
    void respond(const QString& question);
    void setTyping(bool typing);

    const QAMatcher& m_matcher;
    Sources m_sources;
    QList<ChatMessage> m_messages;
    bool m_isTyping = false;
    std::optional<QString> m_lastTopic;
};
