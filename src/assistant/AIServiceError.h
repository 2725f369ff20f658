#pragma once

#include <QString>
#include <optional>

// Every failure of AI Connect, and the one place where such a failure becomes the text the user
// reads.
class AIServiceError {
public:
    enum class Kind {
        modelUnavailable,
        invalidResponse,
        attachmentReadFailed,
        missingKey,
        invalidKey,
        rateLimit,
        noConnection,
        timeout,
        paymentRequired,
        providerUnavailable,
        invalidContextURL,
        unsupportedAttachment,
    };

    static AIServiceError modelUnavailable(std::optional<QString> detail = std::nullopt);
    static AIServiceError invalidResponse(std::optional<QString> detail = std::nullopt);
    static AIServiceError attachmentReadFailed(QString detail);
    static AIServiceError missingKey() { return AIServiceError(Kind::missingKey); }
    static AIServiceError invalidKey() { return AIServiceError(Kind::invalidKey); }
    static AIServiceError rateLimit() { return AIServiceError(Kind::rateLimit); }
    static AIServiceError noConnection() { return AIServiceError(Kind::noConnection); }
    static AIServiceError timeout() { return AIServiceError(Kind::timeout); }
    static AIServiceError paymentRequired() { return AIServiceError(Kind::paymentRequired); }
    static AIServiceError providerUnavailable() { return AIServiceError(Kind::providerUnavailable); }
    static AIServiceError invalidContextURL() { return AIServiceError(Kind::invalidContextURL); }
    static AIServiceError unsupportedAttachment() { return AIServiceError(Kind::unsupportedAttachment); }

    Kind kind() const { return m_kind; }
    // The text carried by modelUnavailable, invalidResponse and attachmentReadFailed.
    const std::optional<QString>& detail() const { return m_detail; }
    QString errorDescription() const;

    friend bool operator==(const AIServiceError&, const AIServiceError&) = default;

private:
    explicit AIServiceError(Kind kind, std::optional<QString> detail = std::nullopt)
        : m_kind(kind), m_detail(std::move(detail))
    {
    }

    Kind m_kind;
    std::optional<QString> m_detail;
};
