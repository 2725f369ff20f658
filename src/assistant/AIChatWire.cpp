#include "AIChatWire.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kHello = QStringLiteral("Hello");

QJsonObject entry(const QString& role, const QString& content)
{
    return {{"role", role}, {"content", content}};
}

QString path(AIProvider provider)
{
    switch (provider) {
    case AIProvider::groq: return QStringLiteral("/openai/v1/chat/completions");
    case AIProvider::openRouter: return QStringLiteral("/api/v1/chat/completions");
    case AIProvider::anthropic: return QStringLiteral("/v1/messages");
    default: return QStringLiteral("/v1/chat/completions");
    }
}

bool hasControlCharacters(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

QByteArray origin(const QUrl& base)
{
    QByteArray encoded = base.toEncoded(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
    while (encoded.endsWith('/'))
        encoded.chop(1);
    return encoded;
}

// The model travels as one path segment, percent-encoded, so a "/" or "?" in it cannot change
// which resource or query is addressed.
std::optional<QUrl> geminiURL(const QUrl& base, const QString& model, const QString& apiKey)
{
    if (model.trimmed().isEmpty() || !model.isValidUtf16())
        return std::nullopt;
    const QUrl url = QUrl::fromEncoded(origin(base) + "/v1beta/models/" + QUrl::toPercentEncoding(model)
                                           + ":generateContent?key=" + QUrl::toPercentEncoding(apiKey),
                                       QUrl::StrictMode);
    return url.isValid() ? std::optional(url) : std::nullopt;
}

} // namespace

QString AIChatWire::systemText(const AIConnectSettings& settings)
{
    const QString prompt = settings.systemPrompt.trimmed();
    const QString notes = settings.contextNotes.trimmed();
    if (notes.isEmpty())
        return prompt;
    return prompt + QStringLiteral("\n\nSaved context notes for this chat:\n") + notes;
}

QJsonArray AIChatWire::openAIMessages(const QList<ChatMessage>& history, const AIConnectSettings& settings)
{
    QJsonArray messages;
    if (const QString system = systemText(settings); !system.isEmpty())
        messages.append(entry(QStringLiteral("system"), system));
    for (const ChatMessage& message : history)
        messages.append(entry(ChatRoles::rawValue(message.role), message.content));
    if (messages.isEmpty())
        messages.append(entry(QStringLiteral("user"), kHello));
    return messages;
}

QJsonArray AIChatWire::anthropicMessages(const QList<ChatMessage>& history)
{
    QJsonArray messages;
    for (const ChatMessage& message : history) {
        if (!message.content.trimmed().isEmpty())
            messages.append(entry(ChatRoles::rawValue(message.role), message.content));
    }
    if (messages.isEmpty())
        messages.append(entry(QStringLiteral("user"), kHello));
    return messages;
}

QString AIChatWire::geminiPrompt(const QList<ChatMessage>& history, const AIConnectSettings& settings)
{
    QStringList lines;
    for (const ChatMessage& message : history)
        lines.append((message.role == ChatRole::user ? QStringLiteral("User: ") : QStringLiteral("Assistant: "))
                     + message.content);
    const QString conversation = lines.join(u'\n');
    const QString system = systemText(settings);
    if (system.isEmpty())
        return conversation.isEmpty() ? kHello : conversation;
    return QStringLiteral("System instructions:\n") + system + QStringLiteral("\n\nConversation:\n")
           + (conversation.isEmpty() ? QStringLiteral("User: Hello") : conversation);
}

std::variant<AIChatWire::Prepared, AIServiceError> AIChatWire::prepare(AIProvider provider, const QUrl& base,
                                                                       const QList<ChatMessage>& history,
                                                                       const QString& apiKey,
                                                                       const AIConnectSettings& settings)
{
    if (hasControlCharacters(apiKey))
        return AIServiceError::invalidKey();

    QJsonObject body;
    QNetworkRequest request;
    switch (provider) {
    case AIProvider::gemini: {
        const auto url = geminiURL(base, settings.modelID, apiKey);
        if (!url)
            return AIServiceError::invalidResponse(QStringLiteral("Gemini URL"));
        request.setUrl(*url);
        body = {{"contents", QJsonArray{QJsonObject{{"parts", QJsonArray{QJsonObject{{"text", geminiPrompt(history, settings)}}}}}}},
                {"generationConfig", QJsonObject{{"temperature", settings.temperature}, {"maxOutputTokens", settings.maxTokens}}}};
        break;
    }
    case AIProvider::anthropic:
        request.setUrl(QUrl::fromEncoded(origin(base) + path(provider).toLatin1()));
        request.setRawHeader("x-api-key", apiKey.toUtf8());
        request.setRawHeader("anthropic-version", "2023-06-01");
        body = {{"model", settings.modelID},
                {"max_tokens", settings.maxTokens},
                {"temperature", settings.temperature},
                {"system", systemText(settings)},
                {"messages", anthropicMessages(history)}};
        break;
    default:
        request.setUrl(QUrl::fromEncoded(origin(base) + path(provider).toLatin1()));
        request.setRawHeader("Authorization", "Bearer " + apiKey.toUtf8());
        if (provider == AIProvider::openRouter)
            request.setRawHeader("X-Title", "Quillmarsh");
        body = {{"model", settings.modelID},
                {"messages", openAIMessages(history, settings)},
                {"temperature", settings.temperature},
                {"max_tokens", settings.maxTokens}};
        break;
    }
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    return Prepared{request, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}
