#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One category of the storage breakdown and the folders whose sizes add up to it; none where the
// system has no such place.
struct StoragePlace {
    QString name;
    QStringList folders;

    bool operator==(const StoragePlace&) const = default;
};

// Where the storage breakdown's nine categories lie on this system: "Applications", "System Cache",
// "Logs", "Downloads", "Desktop", "Documents", "Movies" (named "Videos" where the system calls the
// folder so), "Music" and "Pictures", in that order.
// Every call may come from any thread.
class StoragePlaces {
public:
    virtual ~StoragePlaces() = default;

    virtual QList<StoragePlace> places() const = 0;
};
