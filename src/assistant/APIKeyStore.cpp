#include "APIKeyStore.h"

#include "AesGcm.h"
#include "AtomicFile.h"
#include "BackupExclusion.h"
#include "BoundedFile.h"
#include "LinkedFile.h"
#include "storage/FileManagerHelper.h"
#include "MachineIdentifier.h"
#include "StoredFiles.h"
#include "storage/Sha256Hex.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Fixed, 14 ASCII characters; keys stored under one label are not found under another.
const QString kFileLabel = QStringLiteral("Quillmarsh") + QStringLiteral(".key");

} // namespace

const QByteArray APIKeyStore::pepper = QByteArray::fromHex("5c1e9a07d3b84f26e0a97c4b12f8d63e");

APIKeyStore::APIKeyStore(QString directory, std::function<QString()> machineIdentifier)
    : m_directory(std::move(directory)), m_machineIdentifier(std::move(machineIdentifier))
{
}

APIKeyStore& APIKeyStore::shared()
{
    static APIKeyStore store(defaultDirectory(), [] { return MachineIdentifier::read(); });
    return store;
}

QString APIKeyStore::defaultDirectory()
{
    if (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).isEmpty())
        return {};
    return FileManagerHelper::applicationSupportPath() + u'/' + StoredFiles::aiKeys;
}

QString APIKeyStore::fileURL(AIProvider provider) const
{
    return m_directory + u'/' + sha256Hex(kFileLabel + AIProviders::rawValue(provider))
           + StoredFiles::valueSuffix;
}

bool APIKeyStore::ensureDirectory() const
{
    if (m_directory.isEmpty())
        return false;
    // Created owner-only from the start, inside the Application Support folder made the same way; a
    // link standing in its place makes mkdir fail and is refused below.
    AtomicFile::makePrivateFolder(QFileInfo(m_directory).path());
    ::mkdir(QFile::encodeName(m_directory).constData(), 0700);
    // Checked and changed through one descriptor, so a link put in its place is never followed.
    const int folder = ::open(QFile::encodeName(m_directory).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return false;
    struct stat status {};
    const bool owned = fstat(folder, &status) == 0 && status.st_uid == geteuid() && fchmod(folder, 0700) == 0;
    ::close(folder);
    if (owned)
        BackupExclusion::exclude(m_directory);
    return owned;
}

QByteArray APIKeyStore::encryptionKey() const
{
    return QCryptographicHash::hash(m_machineIdentifier().toUtf8() + pepper, QCryptographicHash::Sha256);
}

bool APIKeyStore::save(const QString& key, AIProvider provider)
{
    const QString trimmed = key.trimmed();
    if (trimmed.isEmpty() || !ensureDirectory())
        return false;
    const QString path = fileURL(provider);
    const BoundedFile::Result stored = LinkedFile::read(path, maxFileBytes, LinkedFile::Sharing::Refused);
    const bool replaceable = stored.status == BoundedFile::Status::Missing || (stored.read() && unseal(stored.contents));
    if (!replaceable && !AtomicFile::moveAside(path))
        return false;
    const auto box = AesGcm::seal(encryptionKey(), trimmed.toUtf8());
    return box && AtomicFile::writeSecret(path, *box);
}

std::optional<QString> APIKeyStore::load(AIProvider provider) const
{
    // Nothing is read from a folder others may change: a key put there would be used as the user's.
    if (!LinkedFile::isOwnFolder(m_directory))
        return std::nullopt;
    const QString path = fileURL(provider);
    const BoundedFile::Result stored = LinkedFile::read(path, maxFileBytes, LinkedFile::Sharing::Refused);
    if (stored.unusable())
        AtomicFile::moveAside(path);
    return stored.read() ? unseal(stored.contents) : std::nullopt;
}

std::optional<QString> APIKeyStore::unseal(const QByteArray& sealed) const
{
    const auto plaintext = AesGcm::open(encryptionKey(), sealed);
    if (!plaintext)
        return std::nullopt;
    // The sealed text is the key's UTF-8 and nothing else: a leading U+FEFF is the key's own.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(*plaintext);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

void APIKeyStore::remove(AIProvider provider)
{
    QFile::remove(fileURL(provider));
}
