#pragma once

#include "AIProvider.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The chat settings of one provider. Each field is also its member name in the stored JSON.
struct AIConnectSettings {
    QString modelID;
    QString systemPrompt;
    QString contextNotes;
    double temperature = 0.7;
    int maxTokens = 1200;

    static AIConnectSettings defaults(AIProvider provider);

    // A JSON object with all five members.
    QByteArray toJson() const;
    // Strict: nothing unless the bytes are an object with all five members, three strings, a number
    // and a whole number; a whole number beyond int becomes int's nearest end. No other range
    // correction happens here.
    static std::optional<AIConnectSettings> fromJson(const QByteArray& json);

    friend bool operator==(const AIConnectSettings&, const AIConnectSettings&) = default;
};
