#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whole-file writes that either replace the old contents entirely or leave them untouched.
namespace AtomicFile {

bool write(const QString& path, const QByteArray& contents);
// Like write(), but the file is owner-only (0600) before any byte reaches it.
bool writePrivate(const QString& path, const QByteArray& contents);
// Renames a file that could not be read as expected to "<path>.unreadable-<UTC time>" in the same
// folder, so that the user's data is kept when a new file takes its place. Returns the new path,
// or nothing when the file could not be moved (it is then left where it was).
std::optional<QString> moveAside(const QString& path);

} // namespace AtomicFile
