#include "LinuxAppleScriptRunner.h"

#include "ProcessRunner.h"

namespace {

constexpr int kToolTimeoutMs = 5000;

struct MuteTool {
    QString program;
    QString name;
    QStringList arguments(bool muted) const;
};

const QList<MuteTool> kMuteTools = {
    {QStringLiteral("/usr/bin/wpctl"), QStringLiteral("wpctl")},
    {QStringLiteral("/usr/bin/pactl"), QStringLiteral("pactl")},
};

QStringList MuteTool::arguments(bool muted) const
{
    const QString state = muted ? QStringLiteral("1") : QStringLiteral("0");
    if (name == QLatin1String("wpctl"))
        return {"set-mute", "@DEFAULT_AUDIO_SINK@", state};
    return {"set-sink-mute", "@DEFAULT_SINK@", state};
}

} // namespace

LinuxAppleScriptRunner::LinuxAppleScriptRunner(ProcessRunner& runner) : m_runner(runner) {}

AppleScriptRunner::Result LinuxAppleScriptRunner::run(const QString& source)
{
    const QString script = source.simplified();
    if (script == muteOutputScript)
        return setMuted(true);
    if (script == unmuteOutputScript)
        return setMuted(false);
    return {false, QStringLiteral("AppleScript is not available on this system; only muting and unmuting the "
                                  "sound output can be done here.")};
}

AppleScriptRunner::Result LinuxAppleScriptRunner::setMuted(bool muted)
{
    QString failure;
    for (const MuteTool& tool : kMuteTools) {
        const ProcessResult result = m_runner.run(tool.program, tool.arguments(muted), kToolTimeoutMs);
        if (result.succeeded())
            return {true, {}};
        if (!result.started())
            continue;
        const QString detail = QString::fromUtf8(result.standardError).trimmed();
        failure = tool.name + QStringLiteral(" could not change the sound output")
                  + (detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + detail);
    }
    if (failure.isEmpty())
        failure = QStringLiteral("The sound output cannot be muted here: neither wpctl nor pactl is installed.");
    return {false, failure};
}
