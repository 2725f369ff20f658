#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class Defaults;

// Small named values kept one file each in a private, hidden folder, with a second copy of each
// in the user defaults from which a lost file is written back.
class SecureLocalStore {
public:
    static inline const QString secureService = QStringLiteral("com.quillmarsh.secure");
    static inline const QString mirrorPrefix = QStringLiteral("com.quillmarsh.secureMirror.");
    static inline const QString setupCompleteKey = QStringLiteral("setup_complete");

    SecureLocalStore(Defaults& defaults, QString directory);

    // The process's one store: the standard defaults and the hidden folder of the Application
    // Support folder.
    static SecureLocalStore& shared();

    void writeSecure(const QString& key, const QByteArray& value);
    std::optional<QByteArray> readSecure(const QString& key);
    void removeSecureFile(const QString& key);
    bool isSetupComplete();

    QString secureFileURL(const QString& key) const;
    void ensureSecureDirectory();
    const QString& directory() const { return m_directory; }

private:
    bool writeFile(const QString& path, const QByteArray& value);

    Defaults& m_defaults;
    const QString m_directory;
};
