#pragma once

#include "AIConnectSettings.h"
#include "AIProvider.h"
#include "AIServiceError.h"
#include "ChatMessage.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>
#include <variant>

// What a chat turn looks like on the wire for each request family: the address, the headers and
// the JSON body.
namespace AIChatWire {

struct Prepared {
    QNetworkRequest request;
    QByteArray body;
};

// The trimmed system prompt, followed by the saved context notes when there are any.
QString systemText(const AIConnectSettings& settings);
// The OpenAI-style "messages": the system text, then every message of the history.
QJsonArray openAIMessages(const QList<ChatMessage>& history, const AIConnectSettings& settings);
// The Anthropic "messages": the history without blank messages.
QJsonArray anthropicMessages(const QList<ChatMessage>& history);
// The whole conversation as the one prompt Gemini gets.
QString geminiPrompt(const QList<ChatMessage>& history, const AIConnectSettings& settings);

// The POST for `provider` at `base` (scheme, host and port of its API). Fails with invalidKey for
// a key that cannot travel in a header or a query (control characters) and with
// invalidResponse("Gemini URL") when the model cannot name a Gemini address.
std::variant<Prepared, AIServiceError> prepare(AIProvider provider, const QUrl& base, const QList<ChatMessage>& history,
                                              const QString& apiKey, const AIConnectSettings& settings);

} // namespace AIChatWire
