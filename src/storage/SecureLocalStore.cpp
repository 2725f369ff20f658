#include "SecureLocalStore.h"

#include "AtomicFile.h"
#include "BackupExclusion.h"
#include "Defaults.h"
#include "FileManagerHelper.h"
#include "Sha256Hex.h"

#include <QDir>
#include <QFile>

SecureLocalStore::SecureLocalStore(Defaults& defaults, QString directory)
    : m_defaults(defaults), m_directory(std::move(directory))
{
}

SecureLocalStore& SecureLocalStore::shared()
{
    static SecureLocalStore store(Defaults::standard(), FileManagerHelper::applicationSupportPath() + "/.secure");
    return store;
}

QString SecureLocalStore::secureFileURL(const QString& key) const
{
    return m_directory + "/" + sha256Hex(secureService + "|" + key) + ".bin";
}

void SecureLocalStore::ensureSecureDirectory()
{
    QDir().mkpath(m_directory);
    QFile::setPermissions(m_directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    BackupExclusion::exclude(m_directory);
}

bool SecureLocalStore::writeFile(const QString& path, const QByteArray& value)
{
    return AtomicFile::writePrivate(path, value);
}

void SecureLocalStore::writeSecure(const QString& key, const QByteArray& value)
{
    ensureSecureDirectory();
    const QString path = secureFileURL(key);
    // A stale file would be preferred over the mirror on the next read and bring the old value back.
    if (!writeFile(path, value))
        QFile::remove(path);
    m_defaults.setValue(mirrorPrefix + key, QString::fromLatin1(value.toBase64()));
}

std::optional<QByteArray> SecureLocalStore::readSecure(const QString& key)
{
    const QString path = secureFileURL(key);
    QFile file(path);
    if (file.exists() && file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError) {
            if (!m_defaults.string(mirrorPrefix + key))
                m_defaults.setValue(mirrorPrefix + key, QString::fromLatin1(bytes.toBase64()));
            return bytes;
        }
    }

    const auto mirror = m_defaults.string(mirrorPrefix + key);
    // Only padded standard base64: the decoder alone would also take text without its padding.
    if (!mirror || mirror->size() % 4 != 0)
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(mirror->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    ensureSecureDirectory();
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
