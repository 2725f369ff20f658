#include "JsonFileDefaults.h"

#include "AtomicFile.h"
#include "BoundedFile.h"
#include "LinkedFile.h"
#include "JsonInteger.h"
#include "JsonMembers.h"
#include "Paths.h"
#include "StoredFolderRemoval.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <algorithm>
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
    const QVariant stored = value.typeId() == QMetaType::QStringList ? QVariant(value.toList()) : value;
    QMutexLocker lock(&m_mutex);
    // Compared as written, so that a change of kind (1 to 1.0, say) is still a change.
    if (m_saved && m_values.contains(key) && encode(m_values.value(key)) == encode(stored))
        return true;
    m_values.insert(key, stored);
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
    // Its folder is the configuration folder: the copies set aside beside the file and the temporary
    // files of interrupted writes go with it, by the one rule every removal follows, and the folder
    // goes when nothing else is left in it.
    const QFileInfo file(m_filePath);
    const bool removed = StoredFolderRemoval::remove(file.path(), StoredFiles::Folder::Configuration).allRemoved;
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

// One member of the file: its key and value as the parser reads them.
struct Member {
    QString key;
    QJsonValue value;
    bool parsed = true;
    const char* at = nullptr; // where one the parser refused starts in the file
};

// The key of a member as the parser reads it (which drops a leading U+FEFF, say): most keys are
// plain ASCII, read without the parser.
QString keyOf(QByteArrayView written)
{
    const QByteArrayView inner = written.sliced(1, written.size() - 2);
    if (std::all_of(inner.begin(), inner.end(), [](char c) { return c > 0 && c < 0x7f && c != '\\'; }))
        return QString::fromLatin1(inner);
    const QJsonObject one = QJsonDocument::fromJson("{" + written.toByteArray() + ":0}").object();
    return one.isEmpty() ? QString() : one.begin().key();
}

// The members of a file the parser refused as a whole, in one pass: a run of members at a time,
// so that the parser does nearly all the work at the pace of a valid file, and only a run it
// refuses member by member. Of two equal keys the last stands, as when the parser takes the file.
// The members it refuses on their own are told by where they start in the file.
std::optional<QList<Member>> memberByMember(const QByteArray& contents)
{
    constexpr qsizetype runLength = 256;
    const auto written = JsonMembers::split(contents);
    if (!written)
        return std::nullopt;
    QList<Member> members;
    members.reserve(written->size());
    QHash<QString, qsizetype> indexOf;
    const auto add = [&](Member parsed) {
        const auto earlier = indexOf.constFind(parsed.key);
        if (earlier != indexOf.cend()) {
            members[*earlier] = std::move(parsed);
            return;
        }
        indexOf.insert(parsed.key, members.size());
        members.append(std::move(parsed));
    };
    for (qsizetype first = 0; first < written->size(); first += runLength) {
        const qsizetype end = std::min(first + runLength, written->size());
        const JsonMembers::Member& last = (*written)[end - 1];
        const char* runStart = (*written)[first].key.data();
        const QByteArrayView run(runStart, last.value.data() + last.value.size() - runStart);
        const QJsonDocument together = QJsonDocument::fromJson("{" + run.toByteArray() + "}");
        if (together.isObject()) {
            const QJsonObject object = together.object();
            for (auto it = object.begin(); it != object.end(); ++it)
                add({it.key(), it.value()});
            continue;
        }
        for (qsizetype i = first; i < end; ++i) {
            const QJsonObject one = QJsonDocument::fromJson("{" + (*written)[i].text() + "}").object();
            if (one.size() == 1)
                add({one.begin().key(), one.begin().value()});
            else
                members.append({{}, {}, false, (*written)[i].key.data()});
        }
    }
    return members;
}

// The file without the members set aside, and those members as an object of their own.
struct Parted {
    QByteArray rest;
    QByteArray aside;
};

// The file without the members set aside, every other byte as it stands, and those members in the
// file's order, as they stand there rather than as the parser would write them back (a number with
// more digits than a double holds, a duplicate key inside the value and a leading U+FEFF survive):
// every member of a key set aside, as the parser read only the last, and each member it refused on
// its own. Nothing when the members cannot be told apart.
std::optional<Parted> parted(const QByteArray& contents, const QList<Member>& aside)
{
    QSet<QString> keys;
    QSet<const char*> refused;
    for (const Member& member : aside) {
        if (member.parsed)
            keys.insert(member.key);
        else
            refused.insert(member.at);
    }
    const auto written = JsonMembers::split(contents);
    if (!written)
        return std::nullopt;
    QList<bool> goes;
    goes.reserve(written->size());
    QByteArray kept = "{";
    for (const JsonMembers::Member& member : *written) {
        const bool going =
            refused.contains(member.key.data()) || (!keys.isEmpty() && keys.contains(keyOf(member.key)));
        goes.append(going);
        if (going)
            kept.append(kept.size() > 1 ? "," : "").append(member.key).append(':').append(member.value);
    }
    return Parted{JsonMembers::without(contents, *written, goes), kept + '}'};
}

} // namespace

void JsonFileDefaults::load()
{
    BoundedFile::Result file = LinkedFile::read(m_filePath, maxFileBytes);
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
    std::optional<QList<Member>> members;
    if (error.error != QJsonParseError::NoError) {
        members = memberByMember(contents);
    } else if (document.isObject()) {
        const QJsonObject root = document.object();
        members.emplace();
        members->reserve(root.size());
        for (auto it = root.begin(); it != root.end(); ++it)
            members->append({it.key(), it.value()});
    }
    if (!members)
        return false;
    QVariantMap values;
    QList<Member> aside;
    for (Member& member : *members) {
        const bool oversized =
            mayHoldOversized
            && QJsonDocument(member.value.toObject()).toJson(QJsonDocument::Compact).size() > maxValueBytes;
        const auto decoded = !member.parsed || oversized ? std::nullopt : decode(member.value);
        if (decoded)
            values.insert(member.key, *decoded);
        else
            aside.append(std::move(member));
    }
    members.reset();
    if (aside.isEmpty()) {
        m_values = std::move(values);
        return true;
    }
    const auto split = parted(contents, aside);
    contents = QByteArray();
    QByteArray kept;
    if (split) {
        kept = split->aside;
    } else {
        // Only what the outline could not tell apart is written as the parser reads it.
        QJsonObject asRead;
        for (const Member& member : aside)
            asRead.insert(member.key, member.value);
        kept = QJsonDocument(asRead).toJson(QJsonDocument::Compact);
    }
    if (!keepAside(kept))
        return false;
    m_values = std::move(values);
    // Rewritten without them, so that the next start has nothing to set aside; the rest keeps the
    // bytes the user's file had, and costs no more than copying them.
    if (!split) {
        save();
        return true;
    }
    AtomicFile::makePrivateFolder(QFileInfo(m_filePath).absolutePath());
    m_saved = AtomicFile::writePrivate(m_filePath, split->rest);
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
    m_saved = AtomicFile::writePrivate(m_filePath, QJsonDocument(root).toJson(QJsonDocument::Compact));
    return m_saved;
}

Defaults& Defaults::standard()
{
    static JsonFileDefaults defaults(Paths::defaultsFile());
    return defaults;
}
