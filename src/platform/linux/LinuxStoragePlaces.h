#pragma once

#include "StoragePlaces.h"

#include <QHash>

// The storage breakdown's places on Linux. Applications are the installed software that exists
// here: <root>/usr, <root>/opt, the system flatpak installation, snap's packages, the user's flatpak
// installation and ~/Applications. System Cache is ~/.cache and Logs ~/.local/state; the rest are
// the XDG user folders as <configHome>/user-dirs.dirs names them (the Movies category is named
// Videos, after its folder), the usual folder of the home where it names none, and no folder where
// it names the home itself (a user folder switched off).
class LinuxStoragePlaces final : public StoragePlaces {
public:
    LinuxStoragePlaces(const QString& home, const QString& configHome, const QString& root = {});

    QList<StoragePlace> places() const override;

    // The folders user-dirs.dirs names, by key ("DOWNLOAD", "VIDEOS"): "$HOME/..." below the
    // home, or absolute; lines of any other form are passed over.
    static QHash<QString, QString> userDirectories(const QString& text, const QString& home);

private:
    QString m_home;
    QString m_configHome;
    QString m_root;
};
