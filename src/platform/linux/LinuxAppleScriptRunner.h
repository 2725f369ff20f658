#pragma once

#include "AppleScriptRunner.h"

class ProcessRunner;

// Linux has no AppleScript. The two scripts that mute and unmute the sound output are carried out
// with the sound server's own tool, wpctl (PipeWire) or else pactl (PulseAudio, also served by
// PipeWire); every other script fails with a message that says so.
class LinuxAppleScriptRunner final : public AppleScriptRunner {
public:
    explicit LinuxAppleScriptRunner(ProcessRunner& runner);

    Result run(const QString& source) override;

private:
    Result setMuted(bool muted);

    ProcessRunner& m_runner;
};
