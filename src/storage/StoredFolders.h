#pragma once

#include <QString>
#include <QStringList>

// The folders every stored file lies in: the application's data folder and the folder of its
// defaults. Either may be a link into a folder of the user's (a dotfiles or synced folder).
namespace StoredFolders {

QStringList paths();
// Makes each folder owner-only, following a link into a folder of the user's. Empty when both can
// be used; otherwise why the first cannot (another user's folder, a link to one or to nothing),
// a paragraph for the start's window.
QString prepare();

} // namespace StoredFolders
