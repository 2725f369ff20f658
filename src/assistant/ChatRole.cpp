#include "ChatRole.h"

QString ChatRoles::rawValue(ChatRole role)
{
    return role == ChatRole::user ? QStringLiteral("user") : QStringLiteral("assistant");
}

std::optional<ChatRole> ChatRoles::fromRawValue(const QString& raw)
{
    if (raw == u"user")
        return ChatRole::user;
    if (raw == u"assistant")
        return ChatRole::assistant;
    return std::nullopt;
}
