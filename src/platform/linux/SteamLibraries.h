#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The games installed through Steam: the app manifests ("steamapps/appmanifest_<id>.acf") of every
// library of a Steam installation, the installation's own folder and each folder its
// "steamapps/libraryfolders.vdf" lists.
class SteamLibraries {
public:
    struct Game {
        QString appId;
        QString name;

        friend bool operator==(const Game&, const Game&) = default;
    };

    // A manifest or library list takes a few kilobytes; a larger file is not read.
    static constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

    // ~/.steam/steam and ~/.local/share/Steam, often one folder under two names.
    static QStringList standardRoots(const QString& home);

    // Each game once, by app id: installation by installation, library by library, by file name
    // within a library. Missing and unreadable files are skipped, as are files that are not regular
    // or are above the bound, and manifests without an id or a name.
    static QList<Game> games(const QStringList& roots);

    // The key and value pairs of a file in Steam's text format, with the depth of braces each
    // stands at; a key that opens a block has no pair of its own.
    struct Pair {
        int depth = 0;
        QString key;
        QString value;
    };
    static QList<Pair> readPairs(const QByteArray& text);
};
