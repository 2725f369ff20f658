#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// The user's defaults: a typed key-value store of strings, booleans, integers, doubles, data,
// arrays and dictionaries. A typed read answers nothing when the key is missing or holds a value
// of another kind; doubles also answer for integers, as numbers do in the platform this mirrors.
class Defaults {
public:
    virtual ~Defaults() = default;

    // An invalid QVariant when the key is missing.
    virtual QVariant value(const QString& key) const = 0;
    // Accepts QString, bool, int/qint64, a finite double, QByteArray, QStringList/QVariantList, QVariantMap;
    // a value of any other kind is not stored. True when the value is stored and kept where the
    // defaults live.
    virtual bool setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    // Takes these keys out of the defaults and keeps their values aside, where the user can still
    // find them: for a value judged implausible, which would otherwise be read again at every
    // start. False, and the keys stay, when the values could not be kept.
    virtual bool setAside(const QStringList& keys) = 0;
    // Forgets every key of the domain and deletes where it was kept; false when that could not be
    // deleted.
    virtual bool removeDomain() = 0;

    bool contains(const QString& key) const { return value(key).isValid(); }
    std::optional<QString> string(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;
    std::optional<qint64> integer(const QString& key) const;
    std::optional<double> number(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;
    std::optional<QVariantList> array(const QString& key) const;
    std::optional<QVariantMap> dictionary(const QString& key) const;

    static bool isStorable(const QVariant& value);
    // Whether the value is one of the integer kinds (not a double).
    static bool isInteger(const QVariant& value);

    // The process's standard defaults, kept in the file Paths::defaultsFile() names.
    static Defaults& standard();
};
