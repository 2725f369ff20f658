#pragma once

#include <QString>

// A stable text that names this machine for the current user: the systemd machine identifier,
// then the D-Bus one, then the login name. Files under `root` are read, so tests use a fixture tree.
namespace MachineIdentifier {

QString read(const QString& root = QStringLiteral("/"));

} // namespace MachineIdentifier
