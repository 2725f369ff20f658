#pragma once

#include <QString>
#include <QStringList>

// Programs the user's desktop session cannot do without while it runs: display servers,
// compositors and window managers, session and settings daemons, the sound server, the message
// bus, key agents, input methods, screen lockers, file managers that draw the desktop, terminals
// and shells. Pausing one of them would freeze the session itself (or the terminal the user needs
// to undo it), so Background Freeze never offers them, whatever they are called on screen.
class SessionProcesses {
public:
    // Shell-style patterns ('*' for any run of characters) of executable file names, matched exactly.
    static const QStringList& patterns();
    // Whether the executable at that path (or of that file name) is one of them.
    static bool contains(const QString& executable);
};
