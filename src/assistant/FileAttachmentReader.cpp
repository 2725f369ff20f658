#include "FileAttachmentReader.h"

#include "ContextText.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const QStringList& FileAttachmentReader::allowedExtensions()
{
    static const QStringList extensions{"txt",  "md",   "markdown", "json", "csv",  "log", "text", "rtf",  "swift",
                                        "m",    "mm",   "h",        "hpp",  "c",    "cpp", "js",   "jsx",  "ts",
                                        "tsx",  "py",   "rb",       "go",   "rs",   "java", "kt",  "html", "htm",
                                        "css",  "scss", "xml",      "yml",  "yaml", "toml", "ini", "cfg",  "sh"};
    return extensions;
}

QString FileAttachmentReader::extension(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot <= 0 ? QString() : name.mid(dot + 1).toLower();
}

AttachmentResult FileAttachmentReader::read(const QString& path)
{
    const QString suffix = extension(path);
    if (!suffix.isEmpty() && !allowedExtensions().contains(suffix))
        return AIServiceError::unsupportedAttachment();

    // Opened without blocking and checked on the descriptor, so that a pipe or device picked in
    // the dialog is refused instead of waited on.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return AIServiceError::attachmentReadFailed(QStringLiteral("Check that the file still exists and can be opened."));
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    QFile file;
    QByteArray bytes;
    const bool read = regular && file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)
                      && (bytes = file.read(kMaxBytes + 1), file.error() == QFileDevice::NoError);
    ::close(fd);
    if (!regular)
        return AIServiceError::attachmentReadFailed(QStringLiteral("Only a regular file can be attached."));
    if (!read)
        return AIServiceError::attachmentReadFailed(QStringLiteral("Check that the file still exists and can be opened."));

    const bool truncated = bytes.size() > kMaxBytes;
    const auto text = ContextText::decodeText(truncated ? bytes.left(kMaxBytes) : bytes, truncated);
    if (!text && !bytes.isEmpty())
        return AIServiceError::attachmentReadFailed(QStringLiteral("The file is not readable as text."));
    const QString normalized = ContextText::normalized(text.value_or(QString()));
    if (normalized.isEmpty())
        return AIServiceError::attachmentReadFailed(QStringLiteral("The file is empty."));
    const QString name = QFileInfo(path).fileName();
    return ContextText::attachment(AIContextKind::file, name, name, normalized);
}
