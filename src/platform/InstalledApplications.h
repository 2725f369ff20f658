#pragma once

#include <QList>
#include <QString>

// The applications installed for this user, as the system lists them.
class InstalledApplications {
public:
    struct Application {
        QString name;
        // The bundle identifier (on Linux the desktop-file id, or "steam:<app id>" for a Steam game).
        QString identifier;
        // The file name of the program it runs, when that is known and its own; "" otherwise.
        QString program;

        friend bool operator==(const Application&, const Application&) = default;
    };

    virtual ~InstalledApplications() = default;

    // Blocks while it reads the disk: call it off the main thread.
    virtual QList<Application> list() = 0;
};
