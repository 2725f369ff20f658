#pragma once

#include <QString>

// The names of everything the application writes into its two folders. Every store takes its
// file's name from here, so that this is the whole list: the clean uninstall removes exactly these
// from a folder of the user's that a link leads to, and leaves everything else there.
namespace StoredFiles {

// In the data folder.
// Folders of ours holding one value file each (secure values, AI provider keys).
inline const QString secureValues = QStringLiteral(".secure");
inline const QString aiKeys = QStringLiteral(".ai");
inline const QString profiles = QStringLiteral("game_profiles.json");
inline const QString overlayRecord = QStringLiteral("mangohud_files.json");
inline const QString instanceLock = QStringLiteral("instance.lock");
inline const QString instanceSocket = QStringLiteral("instance.socket");
// A socket is bound under this prefix and a random suffix, then renamed to instanceSocket.
inline const QString socketBindingPrefix = QStringLiteral(".socket-");

// In the configuration folder.
inline const QString defaults = QStringLiteral("defaults.json");

// The value files in secureValues and aiKeys: 64 hexadecimal digits and this.
inline const QString valueSuffix = QStringLiteral(".bin");

enum class Folder {
    Data,
    Configuration,
    // secureValues and aiKeys.
    Values,
};

// Whether `name` in that folder is a file the application writes: one of the names above, a copy
// of one set aside as unreadable, or the temporary file of an atomic write of one.
bool isFileOf(Folder folder, const QString& name);
// Whether `name` in that folder is one of the application's own subfolders.
bool isSubfolderOf(Folder folder, const QString& name);

} // namespace StoredFiles
