#pragma once

#include "AIContextAttachment.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Turns the bytes of a file or a web page into clean, bounded text for a chat prompt. Lengths are
// counted in characters as the reader sees them.
namespace ContextText {

constexpr qsizetype kClipCharacters = 12'000;
constexpr qsizetype kExcerptCharacters = 140;
inline const QString kClipMarker = QStringLiteral("\n\n[Context clipped by Quillmarsh]");

// Text in the first encoding that reads it: UTF-16 with a byte-order mark, UTF-8 (kept even when
// blank), UTF-16 without a mark only for bytes with NULs that decode cleanly, then Latin-1 for
// other bytes without NULs. Nothing when no encoding gives text. With `truncated`, the bytes are
// the start of something longer and may end inside a character.
std::optional<QString> decodeText(const QByteArray& bytes, bool truncated = false);
// Line ends made line feeds, tabs four spaces, at most one blank line in a row, trimmed.
QString normalized(const QString& text);
// The first 12,000 characters and the clip marker, when the text is longer.
QString clipped(const QString& text);
// White-space runs made one space; the first 140 characters and "..." when longer.
QString excerpt(const QString& text);
// Scripts, styles and tags replaced by spaces; the six common entities decoded, "&amp;" early.
QString stripHTML(const QString& html);
// The page text for a body of the given MIME type; empty when the body does not decode.
QString readableText(const QByteArray& body, const QString& mimeType);

// An attachment of normalised text: clipped, with its excerpt and a fresh identity.
AIContextAttachment attachment(AIContextKind kind, const QString& title, const QString& source, const QString& text);

} // namespace ContextText
