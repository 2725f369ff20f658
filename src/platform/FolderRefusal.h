#pragma once

#include <QString>
#include <sys/types.h>

// Why a folder the application keeps its data in could not be made its own, told the way the
// start's window says it.
struct FolderRefusal {
    enum class Reason {
        // A folder of another user stands there (a run with sudo leaves one of root's).
        OwnedByAnother,
        // A link stands there whose target is a folder of another user.
        LinkToAnothersFolder,
        // A link stands there whose target does not exist.
        LinkToNothing,
        // Others may change what is kept there: a link on the way to it is not the user's, or the
        // folder a link leads to may be written by others; `target` names the folder that lets them.
        OpenToOthers,
        // Something that is not a folder stands there, or a link to one.
        NotAFolder,
        // The folder could not be made or opened; `error` says why.
        Failed,
    };

    Reason reason = Reason::Failed;
    // The folder asked for; for OwnedByAnother, the folder that is another's, which may be one of
    // those it lies in.
    QString folder;
    // Where the link at `folder` points.
    QString target;
    // The owner of `folder`, or of the link's target.
    uid_t owner = 0;
    int error = 0;

    // A paragraph for the window, with the names the users go by.
    QString text(const QString& ownerName, const QString& userName) const;
    // The same with the names from the system's user table.
    QString text() const;

    static QString userName(uid_t user);
};
