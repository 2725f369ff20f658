#pragma once

#include <QString>
#include <optional>

// Where the text of a context attachment came from.
enum class AIContextKind {
    file,
    web,
    github,
};

namespace AIContextKinds {

QString rawValue(AIContextKind kind);
std::optional<AIContextKind> fromRawValue(const QString& raw);

} // namespace AIContextKinds
