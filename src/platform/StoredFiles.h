#pragma once

#include <QString>

// The names of everything the application writes into its two folders. Every store takes its
// file's name from here, so that this is the whole list: every removal takes exactly these from
// the folders and leaves everything else there, whoever's folder it is.
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

// What stands at a name, as seen without following a link.
enum class Kind {
    Folder,
    RegularFile,
    Socket,
    Link,
    // A FIFO or a device.
    Other,
};

// Whether the entry `name` of that kind in that folder is one the application writes: one of the
// names above, as written, case included; a copy of one set aside as unreadable, in the exact form
// AtomicFile::moveAside gives it; or the temporary file of an atomic write of one, in the form
// only those writes give. A socket's name counts only for a socket, a value file's only for a
// regular file, and no folder is a file of ours.
bool isFileOf(Folder folder, const QString& name, Kind kind);
// Whether `name` in that folder is one of the application's own subfolders.
bool isSubfolderOf(Folder folder, const QString& name);

} // namespace StoredFiles
