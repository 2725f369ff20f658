#include "FileAttachmentReader.h"

#include "ContextText.h"

#include <QFile>
#include <QFileInfo>

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

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return AIServiceError::attachmentReadFailed(QStringLiteral("Check that the file still exists and can be opened."));
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (file.error() != QFileDevice::NoError)
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
