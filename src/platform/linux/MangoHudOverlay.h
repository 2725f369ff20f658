#pragma once

#include "GameOverlay.h"

#include <QByteArrayList>
#include <QHash>
#include <QMutex>
#include <QStringList>
#include <functional>

// The frame limit and HUD through MangoHud's configuration files. The limit is the "fps_limit" line
// of the user's MangoHud.conf; the line this class writes follows a comment line of its own that
// marks it (and keeps the user's line it replaced), so that only its own line is ever taken back
// and every other byte of the file stays as the user left it. The HUD for a game is a file of the
// game's own, "<program>.conf", which MangoHud reads instead of MangoHud.conf; this class writes
// such files whole, marked by their first line, carries the frame limit into them, and never
// touches one it did not write. Files are replaced atomically; a link is written through.
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
    };

    static inline const QString globalFileName = QStringLiteral("MangoHud.conf");
    // Above the frame-limit line this class wrote; "<marker> (was: <line>)" when it replaced one.
    static inline const QByteArray limitMarker = QByteArrayLiteral("# Frame limit set by Quillmarsh");
    // The first line of a game's file this class wrote.
    static inline const QByteArray hudMarker = QByteArrayLiteral("# HUD for this game, written by Quillmarsh");

    explicit MangoHudOverlay(Options options);

    static QString standardConfigFolder();
    // True when the mangohud command is on the search path.
    static bool mangoHudOnPath();

    std::optional<qint64> readFrameLimit() override;
    Change writeFrameLimit(qint64 limit) override;
    Change removeFrameLimit() override;
    HUDWrite writeHUD(const QString& bundleIdentifier, bool enabled) override;
    QList<HUDWrite> writeHUDs(const QStringList& bundleIdentifiers, bool enabled) override;
    QString hudName() const override { return QStringLiteral("MangoHud"); }
    std::optional<QString> unavailableReason() const override;
    void removeOwnFrameLimit() override;
    void removeSystemWideSettings() override;

    // The limit an "fps_limit" value starts with: its first entry, when that is a whole number of at
    // least 1.
    static std::optional<qint64> parseLimit(const QByteArray& value);

private:
    enum class Removal { All, OwnOnly };
    QString globalPath() const;
    bool installed() const;
    // Takes the frame-limit lines out of the global file (see Removal) and brings the games' files
    // along. False when the file could not be read or written.
    bool removeLimitLines(Removal removal);
    // Rewrites the games' files this class wrote to match the global file; false when one of them
    // could not be rewritten.
    bool syncGameFiles(const QByteArrayList& lines);
    // The names of the games' files this class wrote.
    QStringList ownGameFiles() const;
    QByteArray gameFile(const QByteArrayList& globalLines) const;
    // Switches the HUD for one game, given the programs it runs as and the global file's lines.
    HUDWrite writeGameFiles(const QStringList& programs, bool enabled, const std::optional<QByteArrayList>& global);

    const Options m_options;
    QMutex m_mutex;
};
