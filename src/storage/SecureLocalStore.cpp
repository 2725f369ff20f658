#include "SecureLocalStore.h"

#include "AtomicFile.h"
#include "BackupExclusion.h"
#include "BoundedFile.h"
#include "Defaults.h"
#include "FileManagerHelper.h"
#include "LinkedFile.h"
#include "Sha256Hex.h"
#include "StoredFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

SecureLocalStore::SecureLocalStore(Defaults& defaults, QString directory)
    : m_defaults(defaults), m_directory(std::move(directory))
{
}

SecureLocalStore& SecureLocalStore::shared()
{
    static SecureLocalStore store(Defaults::standard(),
                                  FileManagerHelper::applicationSupportPath() + "/" + StoredFiles::secureValues);
    return store;
}

QString SecureLocalStore::secureFileURL(const QString& key) const
{
    return m_directory + "/" + sha256Hex(secureService + "|" + key) + StoredFiles::valueSuffix;
}

bool SecureLocalStore::ensureSecureDirectory()
{
    // The Application Support folder it lies in is ours as well.
    AtomicFile::makePrivateFolder(QFileInfo(m_directory).path());
    if (!AtomicFile::makePrivateFolder(m_directory))
        return false;
    BackupExclusion::exclude(m_directory);
    return true;
}

bool SecureLocalStore::writeFile(const QString& path, const QByteArray& value)
{
    return AtomicFile::writeSecret(path, value);
}

bool SecureLocalStore::writeSecure(const QString& key, const QByteArray& value)
{
    const bool ownFolder = ensureSecureDirectory();
    const QString path = secureFileURL(key);
    const bool written = ownFolder && writeFile(path, value);
    const bool mirrored = m_defaults.setValue(mirrorPrefix + key, QString::fromLatin1(value.toBase64()));
    if (written)
        return true;
    // The old file would be preferred over the mirror on the next read and bring the old value
    // back; it goes, but only once the mirror surely holds the new value.
    return mirrored && (!ownFolder || QFile::remove(path) || !QFileInfo(path).exists());
}

std::optional<QByteArray> SecureLocalStore::readSecure(const QString& key, const Decodes& decodes)
{
    const auto accepted = [&](const QByteArray& bytes) {
        return bytes.size() <= maxValueSize && (!decodes || decodes(bytes));
    };
    const QString path = secureFileURL(key);
    // A link is read through only to a file of the user's that no one else may read, as written;
    // any other is set aside like anything else that is not a readable file of ours, and the
    // mirror's copy takes its place. In a folder of another user's, or one reached through a link
    // that is not the user's, nothing is.
    BoundedFile::Result file;
    if (LinkedFile::isOwnFolder(m_directory))
        file = LinkedFile::read(path, maxValueSize, LinkedFile::Sharing::Refused);
    if (file.read() && accepted(file.contents)) {
        if (!m_defaults.string(mirrorPrefix + key))
            m_defaults.setValue(mirrorPrefix + key, QString::fromLatin1(file.contents.toBase64()));
        return file.contents;
    }
    std::optional<QByteArray> refused;
    if (file.read())
        refused = std::move(file.contents);
    // Kept, under a timestamped name, before the mirror's copy takes its place.
    if (file.status != BoundedFile::Status::Missing)
        AtomicFile::moveAside(path);

    const auto mirror = m_defaults.string(mirrorPrefix + key);
    // Only padded standard base64: the decoder alone would also take text without its padding.
    if (!mirror || mirror->size() % 4 != 0)
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(mirror->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    const bool ownFolder = ensureSecureDirectory();
    if (!accepted(*decoded)) {
        if (*decoded != refused && !(ownFolder && AtomicFile::keepAside(path, *decoded)))
            return std::nullopt;
        m_defaults.remove(mirrorPrefix + key);
        return std::nullopt;
    }
    if (ownFolder)
        writeFile(path, *decoded);
    return *decoded;
}

void SecureLocalStore::removeSecureFile(const QString& key)
{
    QFile::remove(secureFileURL(key));
}

bool SecureLocalStore::isSetupComplete()
{
    return readSecure(setupCompleteKey).has_value();
}
