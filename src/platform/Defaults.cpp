#include "Defaults.h"

#include <QVariantList>
#include <algorithm>
#include <cmath>
#include <QVariantMap>

bool Defaults::isInteger(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

bool Defaults::isStorable(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
        // JSON, and the property lists this mirrors, have no place for them.
        return std::isfinite(value.toDouble());
    case QMetaType::QString:
    case QMetaType::Bool:
    case QMetaType::QByteArray:
    case QMetaType::QStringList:
        return true;
    case QMetaType::QVariantList: {
        const auto list = value.toList();
        return std::all_of(list.begin(), list.end(), isStorable);
    }
    case QMetaType::QVariantMap: {
        const auto map = value.toMap();
        return std::all_of(map.begin(), map.end(), isStorable);
    }
    default:
        return isInteger(value);
    }
}

std::optional<QString> Defaults::string(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    return v.toString();
}

std::optional<bool> Defaults::boolean(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::Bool)
        return std::nullopt;
    return v.toBool();
}

std::optional<qint64> Defaults::integer(const QString& key) const
{
    const QVariant v = value(key);
    if (!isInteger(v))
        return std::nullopt;
    return v.toLongLong();
}

std::optional<double> Defaults::number(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::Double && !isInteger(v))
        return std::nullopt;
    return v.toDouble();
}

std::optional<QByteArray> Defaults::data(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return v.toByteArray();
}

std::optional<QVariantList> Defaults::array(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::QVariantList && v.typeId() != QMetaType::QStringList)
        return std::nullopt;
    return v.toList();
}

std::optional<QVariantMap> Defaults::dictionary(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return v.toMap();
}
