#pragma once

#include "AIContextKind.h"
#include "AIServiceError.h"

#include <QString>
#include <QUuid>
#include <variant>

// Readable text the user attached as context for the next message: a local file or a fetched link.
struct AIContextAttachment {
    QUuid id;
    AIContextKind kind = AIContextKind::file;
    // The file name, or the link's host.
    QString title;
    // The file name, or the link's full address; a link already attached is refused by it.
    QString source;
    // At most 140 characters of the content with white space collapsed, then "...".
    QString excerpt;
    // The normalised text, clipped to 12,000 characters plus a marker.
    QString content;

    friend bool operator==(const AIContextAttachment&, const AIContextAttachment&) = default;
};

// A loaded attachment, or why it could not be loaded.
using AttachmentResult = std::variant<AIContextAttachment, AIServiceError>;
