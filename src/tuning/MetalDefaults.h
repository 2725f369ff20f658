#pragma once

#include "ProcessResult.h"

#include <QString>
#include <optional>

class ProcessRunner;

// The Metal settings the system keeps as user defaults: the global frame limit "MetalFPSLimit" and a
// game's forced performance HUD "MetalForceHudEnabled". Each call runs the system's defaults tool
// once and blocks until it exits, so callers use it from worker threads. Thread-safe.
class MetalDefaults {
public:
    explicit MetalDefaults(ProcessRunner& runner);

    // The limit in force, when the default holds a whole number of at least 1.
    std::optional<qint64> readFrameLimit();
    ProcessResult writeFrameLimit(qint64 limit);
    ProcessResult deleteFrameLimit();
    // Writes the HUD default as YES (on) or deletes it (off). True when that was done: the write
    // exited with status 0; the delete ran to its end, since the tool also fails for a key that was
    // never written.
    bool writeHUD(const QString& bundleIdentifier, bool enabled);

    // What a read of the frame limit printed: a whole decimal number (an optional sign, digits only)
    // of at least 1 after trimming; nothing for anything else, undecodable bytes included.
    static std::optional<qint64> parseFrameLimit(const QByteArray& output);

private:
    ProcessRunner& m_runner;
};
