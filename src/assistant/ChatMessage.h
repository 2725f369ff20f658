#pragma once

#include "ChatRole.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>
#include <optional>

// One message of a chat transcript, as the local assistant and AI Connect show and send it.
struct ChatMessage {
    QUuid id;
    ChatRole role = ChatRole::user;
    QString content;
    QDateTime date;

    // A new message with a fresh identity, dated now.
    static ChatMessage make(ChatRole role, QString content);

    // The members "id", "role", "content" and "date" (ISO 8601 in UTC, with milliseconds, so a
    // message read back equals the one written).
    QJsonObject toJson() const;
    // Nothing unless all four members are present and of the right kind.
    static std::optional<ChatMessage> fromJson(const QJsonObject& object);

    friend bool operator==(const ChatMessage&, const ChatMessage&) = default;
};
