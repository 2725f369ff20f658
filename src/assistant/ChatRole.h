#pragma once

#include <QString>
#include <optional>

// Who wrote a chat message. Stored and shown messages have only these two roles.
enum class ChatRole {
    user,
    assistant,
};

namespace ChatRoles {

QString rawValue(ChatRole role);
std::optional<ChatRole> fromRawValue(const QString& raw);

} // namespace ChatRoles
