#pragma once

#include "AIServiceError.h"

#include <QString>
#include <optional>

// The result of one chat turn: the provider's reply text and its token-usage summary, or a
// failure. A failure without an AIServiceError is one the client cannot name (a reply that is not
// JSON); the screen shows its generic text for it.
struct AIChatOutcome {
    bool succeeded = false;
    QString reply;
    std::optional<QString> usage;
    std::optional<AIServiceError> error;

    static AIChatOutcome success(QString reply, std::optional<QString> usage)
    {
        return {true, std::move(reply), std::move(usage), std::nullopt};
    }
    static AIChatOutcome failure(std::optional<AIServiceError> error) { return {false, {}, {}, std::move(error)}; }
};
