#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
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

    // True when the value is safely stored: in its file, or in the mirror with no older file left
    // to win over it.
    bool writeSecure(const QString& key, const QByteArray& value);
    // Larger values are never read.
    static constexpr qint64 maxValueSize = 1024 * 1024;
    using Decodes = std::function<bool(const QByteArray&)>;

    // A file that cannot be read (a link other than one to a file of the user's alone, a pipe, a
    // folder, a file this user may not open), is larger than maxValueSize or does not decode is
    // set aside under a timestamped name, and the value restored from the mirror when the mirror's
    // decodes; nothing found there is waited on. A mirror value that does not decode is kept aside
    // once (unless it is the file just set aside) and leaves the defaults: a bad value is never
    // copied back and forth. Without `decodes`, every value within the size decodes.
    std::optional<QByteArray> readSecure(const QString& key, const Decodes& decodes = {});
    void removeSecureFile(const QString& key);
    bool isSetupComplete();

    QString secureFileURL(const QString& key) const;
    // False when the folder is not, or cannot be made, a folder of the user's own.
    bool ensureSecureDirectory();
    const QString& directory() const { return m_directory; }

private:
    bool writeFile(const QString& path, const QByteArray& value);

    Defaults& m_defaults;
    const QString m_directory;
};
