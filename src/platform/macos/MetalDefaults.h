#pragma once

#include "GameOverlay.h"

#include <QStringList>

class ProcessRunner;

// The frame limit and HUD on a Mac: the user defaults "MetalFPSLimit" (global) and a game's
// "MetalForceHudEnabled", changed through the system's defaults tool. Each call runs the tool and
// blocks until it exits. Thread-safe.
class MetalDefaults final : public GameOverlay {
public:
    static inline const QString tool = QStringLiteral("/usr/bin/defaults");
    // Where the uninstall deletes the keys.
    static const QStringList uninstallDomains;
    static const QStringList keys;

    explicit MetalDefaults(ProcessRunner& runner);

    std::optional<qint64> readFrameLimit() override;
    Change writeFrameLimit(qint64 limit) override;
    Change removeFrameLimit() override;
    // Writes the HUD default as YES (on) or deletes it (off). Done when the write exited with status
    // 0, or the delete ran to its end: the tool also fails for a key that was never written.
    HUDWrite writeHUD(const QString& bundleIdentifier, bool enabled) override;
    QString hudName() const override { return QStringLiteral("Metal HUD"); }
    std::optional<QString> unavailableReason() const override { return std::nullopt; }
    // The defaults carry no mark of this application's, so only what this run recorded is deleted.
    void removeOwnSettings(bool frameLimitSet, const QStringList& hudBundleIdentifiers) override;
    void removeSystemWideSettings() override;

    // What a read of the frame limit printed: a whole decimal number (an optional sign, digits only)
    // of at least 1 after trimming; nothing for anything else, undecodable bytes included.
    static std::optional<qint64> parseFrameLimit(const QByteArray& output);

private:
    Change change(const QStringList& arguments, const QString& failure);

    ProcessRunner& m_runner;
};
