#include "JsonFileDefaults.h"

#include "AtomicFile.h"
#include "BoundedFile.h"
#include "JsonInteger.h"
#include "JsonMembers.h"
#include "Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <cmath>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

Q_LOGGING_CATEGORY(lcDefaults, "Quillmarsh.Defaults", QtWarningMsg)

namespace {

QJsonValue encode(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QString:
        return QJsonObject{{"string", v.toString()}};
    case QMetaType::Bool:
        return QJsonObject{{"bool", v.toBool()}};
    case QMetaType::Double:
        return QJsonObject{{"double", v.toDouble()}};
    case QMetaType::QByteArray:
        return QJsonObject{{"data", QString::fromLatin1(v.toByteArray().toBase64())}};
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QJsonArray items;
        for (const QVariant& item : v.toList())
            items.append(encode(item));
        return QJsonObject{{"array", items}};
    }
    case QMetaType::QVariantMap: {
        QJsonObject entries;
        const QVariantMap map = v.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            entries.insert(it.key(), encode(it.value()));
        return QJsonObject{{"dictionary", entries}};
    }
    default:
        return QJsonObject{{"integer", v.toLongLong()}};
    }
}

std::optional<QVariant> decode(const QJsonValue& json)
{
    const QJsonObject object = json.toObject();
    if (object.size() != 1)
        return std::nullopt;
    const QString kind = object.begin().key();
    const QJsonValue v = object.begin().value();
    if (kind == "string" && v.isString())
        return QVariant(v.toString());
    if (kind == "bool" && v.isBool())
        return QVariant(v.toBool());
    if (kind == "double" && v.isDouble() && std::isfinite(v.toDouble()))
        return QVariant(v.toDouble());
    if (kind == "integer") {
        const auto integer = JsonInteger::wholeNumber(v);
        return integer ? std::optional(QVariant(*integer)) : std::nullopt;
    }
    if (kind == "data" && v.isString()) {
        auto bytes = QByteArray::fromBase64Encoding(v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!bytes)
            return std::nullopt;
        return QVariant(*bytes);
    }
    if (kind == "array" && v.isArray()) {
        QVariantList items;
        for (const QJsonValue& item : v.toArray()) {
            auto decoded = decode(item);
            if (!decoded)
                return std::nullopt;
            items.append(*decoded);
        }
        return QVariant(items);
    }
    if (kind == "dictionary" && v.isObject()) {
        QVariantMap map;
        const QJsonObject entries = v.toObject();
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            auto decoded = decode(it.value());
            if (!decoded)
                return std::nullopt;
            map.insert(it.key(), *decoded);
        }
        return QVariant(map);
    }
    return std::nullopt;
}

// The heap keeps what a large parse freed for the process unless asked to give it back.
void giveBackFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace

JsonFileDefaults::JsonFileDefaults(QString filePath) : m_filePath(std::move(filePath))
{
    load();
}

QVariant JsonFileDefaults::value(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_values.value(key);
}

bool JsonFileDefaults::setValue(const QString& key, const QVariant& value)
{
    if (!isStorable(value))
        return false;
    QMutexLocker lock(&m_mutex);
    m_values.insert(key, value.typeId() == QMetaType::QStringList ? QVariant(value.toList()) : value);
    return save();
}

void JsonFileDefaults::remove(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    if (m_values.remove(key) > 0)
        save();
}

bool JsonFileDefaults::removeDomain()
{
    QMutexLocker lock(&m_mutex);
    m_values.clear();
    // The copies of unreadable files set aside beside it go too, and so does its folder when
    // nothing else is left in it.
    const QFileInfo file(m_filePath);
    QDir folder = file.dir();
    bool removed = true;
    const QStringList names{file.fileName(), file.fileName() + QStringLiteral(".unreadable-*")};
    for (const QString& name : folder.entryList(names, QDir::Files | QDir::Hidden | QDir::System))
        removed = folder.remove(name) && removed;
    QDir().rmdir(folder.absolutePath());
    return removed && !file.exists() && !file.isSymLink();
}

namespace {

QString whyNotRead(BoundedFile::Status status)
{
    switch (status) {
    case BoundedFile::Status::TooLarge:
        return QStringLiteral("is larger than %1 MB").arg(JsonFileDefaults::maxFileBytes / (1024 * 1024));
    case BoundedFile::Status::NotRegularFile:
        return QStringLiteral("is not a regular file");
    case BoundedFile::Status::Unreadable:
        return QStringLiteral("cannot be read by this user");
    case BoundedFile::Status::Read:
    case BoundedFile::Status::Missing:
        break;
    }
    return QStringLiteral("does not hold one JSON object");
}

// The members of a file the parser refused as a whole, each parsed on its own; the bytes of those
// it refuses too are added to `refused` as they stand.
std::optional<QJsonObject> memberByMember(const QByteArray& contents, QByteArray& refused)
{
    const auto members = JsonMembers::split(contents);
    if (!members)
        return std::nullopt;
    QJsonObject root;
    for (const JsonMembers::Member& member : *members) {
        const QJsonDocument one = QJsonDocument::fromJson("{" + member.key + ":" + member.value + "}");
        if (one.isObject() && one.object().size() == 1) {
            root.insert(one.object().begin().key(), one.object().begin().value());
            continue;
        }
        if (!refused.isEmpty())
            refused += ',';
        refused += member.key + ':' + member.value;
    }
    return root;
}

} // namespace

void JsonFileDefaults::load()
{
    BoundedFile::Result file = BoundedFile::read(m_filePath, maxFileBytes);
    if (file.status == BoundedFile::Status::Missing)
        return;
    const BoundedFile::Status status = file.status;
    if (!file.read() || !parse(std::move(file.contents))) {
        const auto moved = AtomicFile::moveAside(m_filePath);
        qCWarning(lcDefaults).noquote() << QStringLiteral("%1 %2; %3")
                                                .arg(m_filePath, whyNotRead(status),
                                                     moved ? QStringLiteral("set aside as %1").arg(*moved)
                                                           : QStringLiteral("it could not be set aside"));
    }
    giveBackFreedMemory();
}

bool JsonFileDefaults::parse(QByteArray contents)
{
    // No value can be larger than the whole file.
    const bool mayHoldOversized = contents.size() > maxValueBytes;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(contents, &error);
    // What the parser refuses (garbage in one value, nesting deeper than it goes) spoils only the
    // members it stands in.
    QByteArray refused;
    std::optional<QJsonObject> root;
    if (error.error == QJsonParseError::NoError)
        root = document.isObject() ? std::optional(document.object()) : std::nullopt;
    else
        root = memberByMember(contents, refused);
    contents = QByteArray();
    if (!root)
        return false;
    QVariantMap values;
    QJsonObject aside;
    for (auto it = root->begin(); it != root->end(); ++it) {
        const bool oversized =
            mayHoldOversized
            && QJsonDocument(it.value().toObject()).toJson(QJsonDocument::Compact).size() > maxValueBytes;
        const auto decoded = oversized ? std::nullopt : decode(it.value());
        if (decoded)
            values.insert(it.key(), *decoded);
        else
            aside.insert(it.key(), it.value());
    }
    if (aside.isEmpty() && refused.isEmpty()) {
        m_values = values;
        return true;
    }
    QByteArray kept = QJsonDocument(aside).toJson(QJsonDocument::Compact);
    if (!refused.isEmpty()) {
        kept.chop(1);
        kept += (aside.isEmpty() ? "" : ",") + refused + '}';
    }
    if (!keepAside(kept))
        return false;
    m_values = values;
    save();
    return true;
}

bool JsonFileDefaults::keepAside(const QByteArray& members) const
{
    return AtomicFile::keepAside(m_filePath, members).has_value();
}

bool JsonFileDefaults::setAside(const QStringList& keys)
{
    QMutexLocker lock(&m_mutex);
    {
        QJsonObject aside;
        for (const QString& key : keys) {
            if (m_values.contains(key))
                aside.insert(key, encode(m_values.value(key)));
        }
        if (aside.isEmpty())
            return true;
        if (!keepAside(QJsonDocument(aside).toJson(QJsonDocument::Compact)))
            return false;
    }
    for (const QString& key : keys)
        m_values.remove(key);
    save();
    giveBackFreedMemory();
    return true;
}

bool JsonFileDefaults::save()
{
    QJsonObject root;
    for (auto it = m_values.begin(); it != m_values.end(); ++it)
        root.insert(it.key(), encode(it.value()));
    AtomicFile::makePrivateFolder(QFileInfo(m_filePath).absolutePath());
    return AtomicFile::writePrivate(m_filePath, QJsonDocument(root).toJson(QJsonDocument::Compact));
}

Defaults& Defaults::standard()
{
    static JsonFileDefaults defaults(Paths::defaultsFile());
    return defaults;
}
