#pragma once

#include <QByteArray>
#include <QString>

// Whole-file writes that either replace the old contents entirely or leave them untouched.
namespace AtomicFile {

bool write(const QString& path, const QByteArray& contents);
// Like write(), but the file is owner-only (0600) before any byte reaches it.
bool writePrivate(const QString& path, const QByteArray& contents);

} // namespace AtomicFile
