#include "FolderRefusal.h"

#include "ErrorText.h"

#include <QRegularExpression>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace {

// As it can be pasted into a shell.
QString quotedForShell(const QString& text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:@%+=,-]+$"));
    if (plain.match(text).hasMatch())
        return text;
    QString quoted = text;
    return u'\'' + quoted.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

} // namespace

QString FolderRefusal::text(const QString& ownerName, const QString& userName) const
{
    switch (reason) {
    case Reason::OwnedByAnother:
        return QStringLiteral("Quillmarsh cannot use its folder %1: it belongs to %2, not to %3 (a run with sudo "
                              "leaves it so). To give it back to %3, run:\n\nsudo chown -R %4: %5")
            .arg(folder, ownerName, userName, quotedForShell(userName), quotedForShell(folder));
    case Reason::LinkToAnothersFolder:
        return QStringLiteral("Quillmarsh cannot use its folder %1: it is a link to %2, a folder that belongs to %3, "
                              "not to %4. Quillmarsh keeps its data only in a folder of yours: point the link at "
                              "one, or move the link away.")
            .arg(folder, target, ownerName, userName);
    case Reason::LinkToNothing:
        return QStringLiteral("Quillmarsh cannot use its folder %1: it is a link to %2, which does not exist. Make "
                              "that folder, or move the link away.")
            .arg(folder, target);
    case Reason::OpenToOthers:
        return ownerName == userName
                   ? QStringLiteral("Quillmarsh cannot use its folder %1: users other than %2 may change what "
                                    "Quillmarsh keeps there, as they may write %3. To make it private, run:\n\nchmod go-w %4")
                         .arg(folder, userName, target, quotedForShell(target))
                   : QStringLiteral("Quillmarsh cannot use its folder %1: users other than %2 may change what "
                                    "Quillmarsh keeps there, through %3. Link it to a folder of yours that only you may write, "
                                    "or move the link away.")
                         .arg(folder, userName, target);
    case Reason::NotAFolder:
        return target.isEmpty()
                   ? QStringLiteral("Quillmarsh cannot use its folder %1: something that is not a folder stands "
                                    "there. Move it away.")
                         .arg(folder)
                   : QStringLiteral("Quillmarsh cannot use its folder %1: it is a link to %2, which is not a "
                                    "folder. Point the link at a folder of yours, or move it away.")
                         .arg(folder, target);
    case Reason::Failed:
        break;
    }
    return QStringLiteral("Quillmarsh cannot make its folder %1: %2.")
        .arg(folder, ErrorText::continuingSentence(QString::fromLocal8Bit(std::strerror(error))));
}

QString FolderRefusal::text() const
{
    return text(userName(owner), userName(::geteuid()));
}

QString FolderRefusal::userName(uid_t user)
{
    if (const passwd* entry = ::getpwuid(user); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(user);
}
