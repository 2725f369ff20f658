#pragma once

#include "AIContextAttachment.h"

#include <QString>
#include <QStringList>

// Reads a local text file as a context attachment. Blocking: callers run it off the main thread.
namespace FileAttachmentReader {

constexpr qint64 kMaxBytes = 2 * 1024 * 1024;

// The accepted file extensions, in lower case; a file without an extension is accepted too.
const QStringList& allowedExtensions();
// The extension after the last dot of the file name, in lower case; empty for none (".profile").
QString extension(const QString& path);
// At most the first 2 MiB of the file are read; the text is normalised and clipped.
AttachmentResult read(const QString& path);

} // namespace FileAttachmentReader
