#pragma once

#include "GameOverlay.h"

#include <QByteArrayList>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <functional>

// The frame limit and HUD through MangoHud's configuration files. The limit is the "fps_limit" line
// of the user's MangoHud.conf; the line this class writes follows a comment line of its own that
// marks it, names its limit (and keeps the user's line it replaced, or says that the file is new),
// so that only the marker and that exact line are ever taken back, wherever lines the user put
// under the marker moved it, and every other byte of the file stays as the user left it. The HUD
// for a game is a file of the game's own, "<program>.conf", which MangoHud reads instead of
// MangoHud.conf; this class writes such files whole, as MangoHud.conf's lines and its own HUD
// lines, marked by their first line, and keeps them in step with MangoHud.conf. Such a file is
// this class's only while its bytes are what it last wrote there, as a record of their hashes
// says; a marked file that is not (a copy, or one the user edited, wherever the user's lines
// stand) only loses the marked lines when taken back, and its frame-limit lines with the limit.
// MangoHud.conf is never written beyond the size it is read within. A folder it had to make holds a record saying so. Everything marked is taken
// back at quit, and by the first call of the next run when a run ended without that. Files are
// read within a bound and without waiting on a pipe or device; one that cannot be read so is left
// as it is and the change that needed it fails. Files are replaced atomically; a link is written
// through, and a link to nothing is left so.
class MangoHudOverlay final : public GameOverlay {
public:
    struct Options {
        // $XDG_CONFIG_HOME/MangoHud
        QString configFolder;
        // Whether MangoHud is there to read the files.
        std::function<bool()> installed;
        // The file names of the programs each game runs as, by bundle identifier, for several games
        // at once.
        std::function<QHash<QString, QStringList>(const QStringList& bundleIdentifiers)> programsOf;
        // A file of this application's own that records the games' files written, with the hash
        // of their bytes, written only when what it says changes; kept only in memory when empty.
        QString recordFile = {};
    };

    static inline const QString globalFileName = QStringLiteral("MangoHud.conf");
    // Above the frame-limit line this class wrote, as "<marker> to <limit>", followed by
    // " (was: <line>)" when it replaced one.
    static inline const QByteArray limitMarker = QByteArrayLiteral("# Frame limit set by Quillmarsh");
    // "<limitMarker> to <limit><newFileNote>" when there was no MangoHud.conf.
    static inline const QByteArray newFileNote = QByteArrayLiteral(" (new file)");
    // The first line of a game's file this class wrote.
    static inline const QByteArray hudMarker = QByteArrayLiteral("# HUD for this game, written by Quillmarsh");
    // Above the HUD lines of a game's file, after MangoHud.conf's lines.
    static inline const QByteArray hudLinesMarker = QByteArrayLiteral("# HUD lines added by Quillmarsh");
    // In a folder this class made, and only there.
    static inline const QString folderRecordName = QStringLiteral(".made-by-quillmarsh");
    // The most of MangoHud.conf, and of a game's file, that is read.
    static constexpr qint64 globalFileBound = 1 << 20;
    static constexpr qint64 gameFileBound = 2 * globalFileBound;

    explicit MangoHudOverlay(Options options);

    static QString standardConfigFolder();
    // True when the mangohud command is on the search path.
    static bool mangoHudOnPath();

    std::optional<qint64> readFrameLimit() override;
    Change writeFrameLimit(qint64 limit) override;
    Change removeFrameLimit() override;
    HUDWrite writeHUD(const QString& bundleIdentifier, bool enabled) override;
    HUDWrites writeHUDs(const QStringList& bundleIdentifiers, bool enabled) override;
    QString hudName() const override { return QStringLiteral("MangoHud"); }
    std::optional<QString> unavailableReason() const override;
    // Takes back everything marked as this application's, whatever this run recorded.
    void removeOwnSettings(bool frameLimitSet, const QStringList& hudBundleIdentifiers) override;
    void recoverLeftovers() override;
    void removeSystemWideSettings() override;

    // The limit an "fps_limit" value starts with: its first entry, when that is a whole number of at
    // least 1.
    static std::optional<qint64> parseLimit(const QByteArray& value);

private:
    enum class Removal { All, OwnOnly };
    // What stands at a game's file: one this class wrote and that is still as it wrote it, one
    // that carries its mark but not those bytes (first, or anywhere in a file it recorded), or the
    // user's (which includes one not readable).
    struct GameFile {
        enum class Kind { Own, Marked, Users } kind = Kind::Users;
        std::optional<QByteArrayList> lines;
    };
    QString globalPath() const;
    QString folderRecordPath() const;
    QString gamePath(const QString& name) const;
    bool installed() const;
    // Takes back, once in this object's life and before anything else, what an earlier run left.
    // Called with the mutex held.
    void recoverOnce();
    // Everything marked as this application's: lines, games' files, the folder it made. Called with
    // the mutex held.
    void takeBackAll();
    // Removes the folder when it holds nothing but the record that this class made it.
    void removeFolderIfEmpty() const;
    // Replaces a file in the configuration folder, making the folder (and its record) when needed.
    bool save(const QString& path, const QByteArray& bytes) const;
    // Takes the frame-limit lines out of the global file (see Removal) and brings the games' files
    // along, the marked ones that are no longer this class's too; the file goes when it was new and
    // nothing else is left in it. False when a file could not be read or written.
    bool removeLimitLines(Removal removal);
    // The limit MangoHud.conf holds; nothing when it cannot be read.
    std::optional<qint64> limitInFile() const;
    // Rewrites the games' files this class wrote to match the global file; false when one of them
    // could not be rewritten.
    bool syncGameFiles(const QByteArrayList& lines);
    // The names of the games' files in the folder: this class's own, or the others.
    QStringList gameFiles(bool own);
    GameFile gameFileAt(const QString& name);
    static QByteArray gameFile(const QByteArrayList& globalLines);
    // Switches the HUD for one game, given the programs it runs as and the global file's lines;
    // adds to `kept` the programs whose file of the user's decides their HUD.
    HUDWrite writeGameFiles(const QStringList& programs, bool enabled, const std::optional<QByteArrayList>& global,
                            QStringList& kept);
    // Writes a game's file and records its bytes as this class's, the record first.
    bool writeGameFile(const QString& name, const QByteArray& bytes);
    // Removes a game's file of this class's own, or takes the marked lines out of one that is not.
    bool takeBackGameFile(const QString& name, const GameFile& file);
    void loadRecord();
    bool saveRecord(bool makeFolder);

    const Options m_options;
    QMutex m_mutex;
    bool m_recovered = false;
    bool m_recordLoaded = false;
    // By game file name: the hashes of the bytes this class wrote there that are still its own.
    QHash<QString, QSet<QByteArray>> m_written;
};
