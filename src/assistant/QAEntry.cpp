#include "QAEntry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

// A JSON number that is a whole number a signed 64-bit integer can hold exactly.
std::optional<qint64> integer(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::trunc(number) || std::fabs(number) > 9007199254740992.0)
        return std::nullopt;
    return qint64(number);
}

} // namespace

std::optional<QList<QAEntry>> QAEntry::listFromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<QAEntry> entries;
    for (const QJsonValue& element : document.array()) {
        const QJsonObject row = element.toObject();
        const std::optional<qint64> id = integer(row.value("id"));
        if (!element.isObject() || !id || !row.value("question").isString() || !row.value("answer").isString() ||
            !row.value("keywords").isArray())
            return std::nullopt;
        QStringList keywords;
        for (const QJsonValue& keyword : row.value("keywords").toArray()) {
            if (!keyword.isString())
                return std::nullopt;
            keywords.append(keyword.toString());
        }
        entries.append({*id, row.value("question").toString(), keywords, row.value("answer").toString()});
    }
    return entries;
}
