#include "AIContextKind.h"

QString AIContextKinds::rawValue(AIContextKind kind)
{
    switch (kind) {
    case AIContextKind::file: return QStringLiteral("file");
    case AIContextKind::web: return QStringLiteral("web");
    case AIContextKind::github: return QStringLiteral("github");
    }
    return {};
}

std::optional<AIContextKind> AIContextKinds::fromRawValue(const QString& raw)
{
    for (const AIContextKind kind : {AIContextKind::file, AIContextKind::web, AIContextKind::github}) {
        if (rawValue(kind) == raw)
            return kind;
    }
    return std::nullopt;
}
