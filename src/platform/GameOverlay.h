#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The frame-rate cap that games get from the system and the performance overlay (HUD) it can force
// into a game. One limit holds for every game; the overlay is switched per game, a game being named
// by its bundle identifier. Every call blocks until the change is made, so callers use it from
// worker threads; implementations are thread-safe.
class GameOverlay {
public:
    struct Change {
        enum class Status {
            Done,
            // The facility itself is missing or cannot be reached; `message` says why.
            Unavailable,
            // The facility is there but the change could not be made.
            Failed,
        };
        Status status = Status::Failed;
        QString message = {};
        // Done, yet not for these programs: settings of their own keep them out of the change.
        QStringList unaffectedPrograms = {};
        // Done: the limit the settings hold now that the change is made, as readFrameLimit() gives
        // it. Taking this application's limit away may bring back one of the user's.
        std::optional<qint64> limitInForce = {};

        bool done() const { return status == Status::Done; }
    };

    enum class HUDWrite {
        Done,
        // Switching on: this machine has no program of that game to switch the overlay on for.
        NoGame,
        Failed,
        // Switching on: every program of the game has settings of the user's own that decide its
        // overlay, so nothing was written for it.
        UsersOwn,
    };
    struct HUDWrites {
        // One per game, in the order given.
        QList<HUDWrite> games;
        // Switching on: the programs left out because settings of the user's own decide their overlay.
        QStringList unaffectedPrograms = {};
    };

    virtual ~GameOverlay() = default;

    // The limit in force, when there is one of at least 1 frame per second.
    virtual std::optional<qint64> readFrameLimit() = 0;
    virtual Change writeFrameLimit(qint64 limit) = 0;
    virtual Change removeFrameLimit() = 0;
    // Forces the overlay on for a game, or takes that back. Switching off is done when nothing this
    // application wrote for the game is left.
    virtual HUDWrite writeHUD(const QString& bundleIdentifier, bool enabled) = 0;
    // The same for several games, the results in the order given. Implementations that must look
    // through the installed applications to find a game do so once for all of them.
    virtual HUDWrites writeHUDs(const QStringList& bundleIdentifiers, bool enabled);
    // What the user knows the overlay as.
    virtual QString hudName() const = 0;
    // Why the overlay cannot be switched at all on this machine; nothing when it can.
    virtual std::optional<QString> unavailableReason() const = 0;

    // At quit: takes back the frame limit this run set (when `frameLimitSet`) and the HUD of the games
    // given, and whatever else of this application's an implementation can tell from the user's own
    // settings, from this run or an earlier one. Failures are ignored.
    virtual void removeOwnSettings(bool frameLimitSet, const QStringList& hudBundleIdentifiers) = 0;
    // At start, before anything new is applied: takes back what an earlier run that ended without its
    // clean-up left, as far as it can be told from the user's own settings. Nothing where this
    // application's settings carry no mark of their own.
    virtual void recoverLeftovers() {}
    // The limit a text states: a whole decimal number (an optional sign, then digits only) of at
    // least 1, once blanks at both ends are gone; nothing for anything else.
    static std::optional<qint64> parseLimit(const QString& text);

    // At uninstall: takes back the system-wide settings this application may have left, from this
    // or an earlier run. Failures are ignored.
    virtual void removeSystemWideSettings() = 0;
};
