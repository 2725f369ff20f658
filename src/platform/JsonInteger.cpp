#include "JsonInteger.h"

std::optional<qint64> JsonInteger::wholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    // toInteger() answers its default for a fraction or a number out of range, and the exact value
    // for integers the parser kept whole (beyond what a double carries exactly).
    const qint64 number = value.toInteger(0);
    if (number == 0 && value.toDouble() != 0)
        return std::nullopt;
    return number;
}
