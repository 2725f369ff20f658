#include "AIConnectSettings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

AIConnectSettings AIConnectSettings::defaults(AIProvider provider)
{
    return {AIProviders::defaultModelID(provider),
            QStringLiteral("You are Quillmarsh AI Connect. Be helpful, clear, and practical. Keep answers concise "
                           "unless the user asks for detail."),
            QString(), 0.7, 1200};
}

QByteArray AIConnectSettings::toJson() const
{
    const QJsonObject object{{"modelID", modelID},
                             {"systemPrompt", systemPrompt},
                             {"contextNotes", contextNotes},
                             {"temperature", temperature},
                             {"maxTokens", maxTokens}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<AIConnectSettings> AIConnectSettings::fromJson(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue model = object.value("modelID");
    const QJsonValue prompt = object.value("systemPrompt");
    const QJsonValue notes = object.value("contextNotes");
    const QJsonValue temperature = object.value("temperature");
    const QJsonValue tokens = object.value("maxTokens");
    if (!model.isString() || !prompt.isString() || !notes.isString() || !temperature.isDouble() || !tokens.isDouble())
        return std::nullopt;
    const double count = tokens.toDouble();
    if (count != std::trunc(count))
        return std::nullopt;
    // A count beyond int is still a count: it saturates, and the range correction on loading does the rest.
    const double saturated = std::clamp(count, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max()));
    return AIConnectSettings{model.toString(), prompt.toString(), notes.toString(), temperature.toDouble(),
                             static_cast<int>(saturated)};
}
