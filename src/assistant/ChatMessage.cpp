#include "ChatMessage.h"

ChatMessage ChatMessage::make(ChatRole role, QString content)
{
    return {QUuid::createUuid(), role, std::move(content), QDateTime::currentDateTimeUtc()};
}

QJsonObject ChatMessage::toJson() const
{
    return {{"id", id.toString(QUuid::WithoutBraces)},
            {"role", ChatRoles::rawValue(role)},
            {"content", content},
            {"date", date.toUTC().toString(Qt::ISODateWithMs)}};
}

std::optional<ChatMessage> ChatMessage::fromJson(const QJsonObject& object)
{
    const QJsonValue id = object.value("id");
    const QJsonValue role = object.value("role");
    const QJsonValue content = object.value("content");
    const QJsonValue date = object.value("date");
    if (!id.isString() || !role.isString() || !content.isString() || !date.isString())
        return std::nullopt;
    const QUuid uuid = QUuid::fromString(id.toString());
    const auto chatRole = ChatRoles::fromRawValue(role.toString());
    const QDateTime when = QDateTime::fromString(date.toString(), Qt::ISODateWithMs);
    if (uuid.isNull() || !chatRole || !when.isValid())
        return std::nullopt;
    return ChatMessage{uuid, *chatRole, content.toString(), when.toUTC()};
}
