#pragma once

#include <QJsonValue>
#include <optional>

namespace JsonInteger {

// A JSON number that is a whole value a signed 64-bit integer holds exactly; nothing for a
// fraction, a number out of that range or a value of another kind.
std::optional<qint64> wholeNumber(const QJsonValue& value);

} // namespace JsonInteger
