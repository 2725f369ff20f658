#pragma once

#include <QString>
#include <QStringList>

// The folders every stored file lies in: the application's data folder and the folder of its
// defaults. Either may be a link into a folder of the user's (a dotfiles or synced folder).
namespace StoredFolders {

QStringList paths();
// Makes each folder the application's, following a link of the user's into a folder of theirs
// that no one else may write (whose mode is left as the user set it). Every folder is judged before
// any is made, so that nothing is made when one cannot be used. Empty when all can be used;
// otherwise why each that cannot be does not (another user's folder, a link to one or to nothing, a
// folder others may write or a link on the way that is not the user's), a paragraph each for the
// start's window.
QString prepare();

} // namespace StoredFolders
