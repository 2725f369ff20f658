#pragma once

#include <QString>

// Lengths and cuts counted in characters as the reader sees them (grapheme clusters), so an emoji
// made of several code points or a letter with its accents is never split.
namespace PerceivedText {

// The first `count` perceived characters (all of the text when it is shorter).
QString left(const QString& text, qsizetype count);
// The text when it has at most `limit` perceived characters; otherwise its first `limit - 1` and "…".
QString capped(const QString& text, qsizetype limit);

} // namespace PerceivedText
