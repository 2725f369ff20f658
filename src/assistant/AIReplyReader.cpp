#include "AIReplyReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <cmath>

namespace {

std::optional<QString> stringMember(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

// The first of `keys` that holds a string.
std::optional<QString> firstString(const QJsonObject& object, std::initializer_list<const char*> keys)
{
    for (const char* key : keys) {
        if (auto text = stringMember(object, key))
            return text;
    }
    return std::nullopt;
}

std::optional<qint64> count(const QJsonObject& usage, const char* key)
{
    const QJsonValue value = usage.value(QLatin1String(key));
    if (!value.isDouble() || value.toDouble() != std::trunc(value.toDouble()) || std::abs(value.toDouble()) > 9e15)
        return std::nullopt;
    return qint64(value.toDouble());
}

// An array whose elements are all objects; nothing for any other value.
std::optional<QJsonArray> objectArray(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    for (const QJsonValue& element : array) {
        if (!element.isObject())
            return std::nullopt;
    }
    return array;
}

// The texts of the parts that carry one, joined by line breaks.
QString joinedTexts(const QJsonArray& parts)
{
    QStringList texts;
    for (const QJsonValue& part : parts) {
        if (auto text = stringMember(part.toObject(), "text"))
            texts.append(*text);
    }
    return texts.join(u'\n');
}

std::optional<QString> usageOf(AIProvider provider, const QJsonObject& top)
{
    using AIReplyReader::usageSummary;
    switch (provider) {
    case AIProvider::anthropic: {
        if (!top.value("usage").isObject())
            return std::nullopt;
        const QJsonObject usage = top.value("usage").toObject();
        const auto input = count(usage, "input_tokens");
        const auto output = count(usage, "output_tokens");
        const qint64 sum = input.value_or(0) + output.value_or(0);
        return usageSummary(input, output, sum > 0 ? std::optional(sum) : std::nullopt);
    }
    case AIProvider::gemini: {
        if (!top.value("usageMetadata").isObject())
            return std::nullopt;
        const QJsonObject usage = top.value("usageMetadata").toObject();
        return usageSummary(count(usage, "promptTokenCount"), count(usage, "candidatesTokenCount"),
                            count(usage, "totalTokenCount"));
    }
    default: {
        if (!top.value("usage").isObject())
            return std::nullopt;
        const QJsonObject usage = top.value("usage").toObject();
        return usageSummary(count(usage, "prompt_tokens"), count(usage, "completion_tokens"),
                            count(usage, "total_tokens"));
    }
    }
}

// The reply text of a well-formed body, or nothing when its shape is not the family's.
std::optional<QString> replyText(AIProvider provider, const QJsonObject& top)
{
    if (top.isEmpty())
        return std::nullopt;
    if (provider == AIProvider::anthropic) {
        const auto content = objectArray(top.value("content"));
        return content ? std::optional(joinedTexts(*content)) : std::nullopt;
    }
    if (provider == AIProvider::gemini) {
        const auto candidates = objectArray(top.value("candidates"));
        if (!candidates || candidates->isEmpty())
            return std::nullopt;
        const QJsonValue content = candidates->first().toObject().value("content");
        const auto parts = content.isObject() ? objectArray(content.toObject().value("parts")) : std::nullopt;
        return parts ? std::optional(joinedTexts(*parts)) : std::nullopt;
    }
    const auto choices = objectArray(top.value("choices"));
    if (!choices || choices->isEmpty())
        return std::nullopt;
    const QJsonValue message = choices->first().toObject().value("message");
    return message.isObject() ? stringMember(message.toObject(), "content") : std::nullopt;
}

} // namespace

std::optional<QString> AIReplyReader::providerErrorMessage(const QByteArray& body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (document.isObject()) {
        const QJsonObject top = document.object();
        if (top.value("error").isObject())
            return firstString(top.value("error").toObject(), {"message", "detail", "type"});
        if (auto detail = stringMember(top, "detail"))
            return detail;
        if (top.value("details").isObject())
            return firstString(top.value("details").toObject(), {"message", "detail"});
        return stringMember(top, "message");
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = QString(decoder.decode(body)).trimmed();
    if (decoder.hasError() || text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<AIServiceError> AIReplyReader::statusError(int status, const std::optional<QString>& message)
{
    if (status >= 200 && status <= 299)
        return std::nullopt;
    switch (status) {
    case 400:
        if (message && message->contains("model", Qt::CaseInsensitive) && message->contains("not", Qt::CaseInsensitive))
            return AIServiceError::modelUnavailable(message);
        return AIServiceError::invalidResponse(message);
    case 401:
    case 403: return AIServiceError::invalidKey();
    case 402: return AIServiceError::paymentRequired();
    case 404: return AIServiceError::modelUnavailable(message);
    case 408: return AIServiceError::timeout();
    case 429: return AIServiceError::rateLimit();
    default:
        if (status >= 500 && status <= 599)
            return AIServiceError::providerUnavailable();
        return AIServiceError::invalidResponse(message);
    }
}

AIChatOutcome AIReplyReader::readReply(AIProvider provider, const QByteArray& body)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return AIChatOutcome::failure(std::nullopt);
    const QJsonObject top = document.object();
    const auto text = replyText(provider, top);
    const bool openAIStyle = provider != AIProvider::anthropic && provider != AIProvider::gemini;
    // An OpenAI-style reply may be blank; the other families must say something.
    if (!text || (!openAIStyle && text->trimmed().isEmpty()))
        return AIChatOutcome::failure(AIServiceError::invalidResponse(AIProviders::rawValue(provider)));
    return AIChatOutcome::success(text->trimmed(), usageOf(provider, top));
}

std::optional<QString> AIReplyReader::usageSummary(std::optional<qint64> input, std::optional<qint64> output,
                                                   std::optional<qint64> total)
{
    QStringList parts;
    if (input)
        parts.append(QStringLiteral("in %1").arg(*input));
    if (output)
        parts.append(QStringLiteral("out %1").arg(*output));
    if (total)
        parts.append(QStringLiteral("total %1").arg(*total));
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(QStringLiteral(" | "));
}

std::optional<AIServiceError> AIReplyReader::connectionError(QNetworkReply::NetworkError error, bool timedOut,
                                                             bool hasNetworkPath)
{
    if (timedOut || error == QNetworkReply::TimeoutError)
        return AIServiceError::timeout();
    switch (error) {
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return AIServiceError::noConnection();
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::UnknownNetworkError:
        if (!hasNetworkPath)
            return AIServiceError::noConnection();
        return std::nullopt;
    default:
        return std::nullopt;
    }
}
