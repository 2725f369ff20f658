#include "AIAssistantViewModel.h"

#include "QAMatcher.h"

#include <QRandomGenerator>
#include <QTimer>
#include <QUuid>
#include <limits>

AIAssistantViewModel::AIAssistantViewModel(const QAMatcher& matcher, Sources sources, QObject* parent)
    : QObject(parent), m_matcher(matcher), m_sources(std::move(sources))
{
    if (!m_sources.clock)
        m_sources.clock = [] { return QDateTime::currentDateTimeUtc(); };
    if (!m_sources.random)
        m_sources.random = [] {
            return double(QRandomGenerator::global()->generate()) / double(std::numeric_limits<quint32>::max());
        };
    if (!m_sources.scheduler)
        m_sources.scheduler = [this](std::chrono::milliseconds delay, std::function<void()> reply) {
            QTimer::singleShot(delay, this, std::move(reply));
        };
    m_messages.append(message(ChatRole::assistant, openingText));
}

ChatMessage AIAssistantViewModel::message(ChatRole role, const QString& content) const
{
    return {QUuid::createUuid(), role, content, m_sources.clock()};
}

void AIAssistantViewModel::reset()
{
    m_messages = {message(ChatRole::assistant, openingText)};
    m_lastTopic.reset();
    emit messagesChanged();
}

void AIAssistantViewModel::send(const QString& text)
{
    m_messages.append(message(ChatRole::user, text));
    emit messagesChanged();
    setTyping(true);
    const double share = std::clamp(m_sources.random(), 0.0, 1.0);
    const auto delay = shortestDelay + std::chrono::milliseconds(qRound(share * double((longestDelay - shortestDelay).count())));
    m_sources.scheduler(delay, [this, text] { respond(text); });
}

void AIAssistantViewModel::respond(const QString& question)
{
    const QAMatcher::Reply reply = m_matcher.match(question, m_lastTopic);
    if (reply.topic)
        m_lastTopic = reply.topic;
    setTyping(false);
    m_messages.append(message(ChatRole::assistant, reply.answer));
    emit messagesChanged();
}

void AIAssistantViewModel::setTyping(bool typing)
{
    if (m_isTyping == typing)
        return;
    m_isTyping = typing;
    emit typingChanged();
}
