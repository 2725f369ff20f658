#include "AIServiceError.h"

AIServiceError AIServiceError::modelUnavailable(std::optional<QString> detail)
{
    return AIServiceError(Kind::modelUnavailable, std::move(detail));
}

AIServiceError AIServiceError::invalidResponse(std::optional<QString> detail)
{
    return AIServiceError(Kind::invalidResponse, std::move(detail));
}

AIServiceError AIServiceError::attachmentReadFailed(QString detail)
{
    return AIServiceError(Kind::attachmentReadFailed, std::move(detail));
}

QString AIServiceError::errorDescription() const
{
    const bool hasDetail = m_detail && !m_detail->isEmpty();
    switch (m_kind) {
    case Kind::modelUnavailable:
        return hasDetail ? QStringLiteral("That model is unavailable for this provider or API key. ") + *m_detail
                         : QStringLiteral("That model was not found or is not enabled for this API key. Pick another "
                                          "model in AI settings and try again.");
    case Kind::invalidResponse:
        return hasDetail ? QStringLiteral("The AI response could not be read: ") + *m_detail
                         : QStringLiteral("The AI response could not be read. Please try again.");
    case Kind::attachmentReadFailed:
        return QStringLiteral("That attachment could not be read. ") + m_detail.value_or(QString());
    case Kind::missingKey: return QStringLiteral("Add an API key before sending a message.");
    case Kind::invalidKey: return QStringLiteral("Your API key seems invalid. Please check it and try again.");
    case Kind::rateLimit: return QStringLiteral("You've hit your API rate limit. Please wait a moment and try again.");
    case Kind::noConnection: return QStringLiteral("No internet connection. Please check your network.");
    case Kind::timeout: return QStringLiteral("The request timed out. Please try again.");
    case Kind::paymentRequired: return QStringLiteral("The provider says billing or credits are required for this key.");
    case Kind::providerUnavailable:
        return QStringLiteral("The AI service is currently unavailable. Please try again shortly.");
    case Kind::invalidContextURL: return QStringLiteral("That link could not be read. Paste a full https URL.");
    case Kind::unsupportedAttachment:
        return QStringLiteral("Attach text, code, markdown, JSON, CSV, log, or HTML files for AI context.");
    }
    return {};
}
