#pragma once

#include <QString>

// The well-known per-user folders. They follow HOME and the XDG variables, which is how tests
// point the whole application at a scratch folder.
namespace Paths {

QString home();
QString desktop();
QString temporary();
// The per-user data folder of the application (not created here); under the temporary folder
// when the system names no data location.
QString applicationSupport();
// The per-user configuration folder of the application (not created here); the temporary folder
// when the system names no configuration location.
QString configuration();
// The file that holds the standard defaults, in configuration().
QString defaultsFile();
// The folder of the desktop session's autostart entries.
QString autostart();

} // namespace Paths
