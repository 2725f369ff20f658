#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Strict readings of command-line tool output: a malformed value is refused, never guessed at.
namespace ToolText {

// Without leading and trailing spaces and tabs (other whitespace stays).
QString trimmedSpacesAndTabs(const QString& text);
// A plain decimal number in the C locale ("12", "-3.5", "1e3"); nothing for anything else,
// surrounding whitespace, group separators, "nan" and "inf" included.
std::optional<double> toDouble(const QString& text);
// An optional sign, then ASCII digits only; nothing when empty, malformed or out of range.
std::optional<int> toInteger(const QString& text);
std::optional<qint64> toInteger64(const QString& text);

} // namespace ToolText
