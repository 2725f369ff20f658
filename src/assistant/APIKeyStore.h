#pragma once

#include "AIProvider.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Keeps each provider's API key in its own small file, sealed with AES-256-GCM under a key
// derived from the machine's identifier, so a file copied to another machine does not open. The
// files live in a hidden owner-only folder and are named by a hash, so the folder does not show
// which providers have keys. Nothing is reported beyond save's result: a key that cannot be read
// counts as absent. Such a file is kept under another name rather than lost: at once when it
// cannot be taken as a key file at all (a pipe, a device, a folder, one above the bound or one
// that does not open), else before a new key is saved in its place. A key file the user keeps as a
// link to a file of theirs that no one else may read stays a link.
class APIKeyStore final {
public:
    static const QByteArray pepper;
    // A sealed key takes a few hundred bytes; a larger file is not read and counts as absent.
    static constexpr qint64 maxFileBytes = 64 * 1024;

    // `directory` is the key folder; an empty one means there is nowhere safe to keep keys.
    APIKeyStore(QString directory, std::function<QString()> machineIdentifier);

    // The ".ai" folder of the Application Support folder (which the clean uninstall removes), and
    // the machine identifier of this computer.
    static APIKeyStore& shared();
    // Empty when the system names no per-user data folder: keys never go to a shared temporary one.
    static QString defaultDirectory();

    // Stores the key trimmed of white space; a blank key changes nothing, and so does a file
    // there that does not open when it cannot be set aside. True when the key is now the stored one.
    bool save(const QString& key, AIProvider provider);
    std::optional<QString> load(AIProvider provider) const;
    void remove(AIProvider provider);

    QString fileURL(AIProvider provider) const;
    const QString& directoryURL() const { return m_directory; }
    // Creates the folder and makes it 0700 and backup-excluded. False, and nothing may be written,
    // when the folder is not a real folder of this user or its mode cannot be set.
    bool ensureDirectory() const;
    // SHA-256 of the machine identifier's UTF-8 followed by the pepper; derived on every use.
    QByteArray encryptionKey() const;

private:
    std::optional<QString> unseal(const QByteArray& sealed) const;

    const QString m_directory;
    const std::function<QString()> m_machineIdentifier;
};
