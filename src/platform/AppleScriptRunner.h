#pragma once

#include <QString>

// Runs a script of the system's scripting language in-process.
class AppleScriptRunner {
public:
    struct Result {
        bool succeeded = false;
        // Why the script failed, for the user; empty on success.
        QString errorMessage;
    };

    // Mute and unmute the system's sound output.
    static inline const QString muteOutputScript = QStringLiteral("set volume output muted");
    static inline const QString unmuteOutputScript = QStringLiteral("set volume output muted false");

    virtual ~AppleScriptRunner() = default;

    // Blocks until the script has finished.
    virtual Result run(const QString& source) = 0;
};
