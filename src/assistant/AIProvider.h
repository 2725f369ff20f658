#pragma once

#include "AIModelOption.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

// The AI providers AI Connect can talk to, in menu order. A provider's raw value is its display
// name; it also names the provider's stored settings and key file.
enum class AIProvider {
    openAI,
    anthropic,
    gemini,
    groq,
    mistral,
    openRouter,
};

namespace AIProviders {

const QList<AIProvider>& allCases();
QString rawValue(AIProvider provider);
// Exactly one of the six display names, letter case included; nothing otherwise.
std::optional<AIProvider> fromRawValue(const QString& raw);

// The provider's fixed model menu; the first entry is its default model.
const QList<AIModelOption>& modelOptions(AIProvider provider);
QString defaultModelID(AIProvider provider);
// The provider's web page where the user creates and manages API keys.
QUrl apiKeyURL(AIProvider provider);
// Scheme and host of the provider's public API, where its chat requests go.
QUrl apiBaseURL(AIProvider provider);

} // namespace AIProviders
