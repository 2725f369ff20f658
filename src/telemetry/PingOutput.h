#pragma once

#include <QString>
#include <optional>

// The round-trip time in the text ping prints.
namespace PingOutput {

// The number after the first "time=" (at most 10 characters of it, up to the first character that
// is neither a digit nor "."), in milliseconds; nothing when there is none or it does not read.
std::optional<double> latency(const QString& text);

} // namespace PingOutput
