#pragma once

#include "StoredFiles.h"

#include <QString>

// Takes the application's own entries, as StoredFiles tells them, out of one of its folders and
// leaves everything else there.
namespace StoredFolderRemoval {

struct Result {
    // False when an entry of the application's that existed could not be deleted.
    bool allRemoved = true;
    // The folder, as a link leads to it, when entries that are not the application's were kept in
    // it; empty otherwise.
    QString keptFolder;
};

// The data folder (Folder::Data) or the configuration folder. `path` may be a link the user made
// into a folder of theirs (a dotfiles or synced folder, or the home itself): it is followed, as
// the kernel does, and it and that folder stay. A real folder goes when nothing else is left in
// it. Subfolders of the application's own are emptied the same way and go when nothing else is
// left in them; one that is a link is removed, and what it leads to is left alone. Below `path`
// every folder is opened by descriptor without following a link, so that a link put in the place
// of one during the removal is never followed.
Result remove(const QString& path, StoredFiles::Folder folder);

} // namespace StoredFolderRemoval
