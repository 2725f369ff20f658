#include "MetalDefaults.h"

#include "ProcessRunner.h"

#include <QStringDecoder>

namespace {

const QString kFrameLimitKey = QStringLiteral("MetalFPSLimit");
const QString kHudKey = QStringLiteral("MetalForceHudEnabled");

} // namespace

const QStringList MetalDefaults::uninstallDomains{"-g", "com.apple.Metal"};
const QStringList MetalDefaults::keys{kFrameLimitKey, kHudKey};

MetalDefaults::MetalDefaults(ProcessRunner& runner) : m_runner(runner) {}

std::optional<qint64> MetalDefaults::readFrameLimit()
{
    const ProcessResult read = m_runner.run(tool, {"read", "-g", kFrameLimitKey});
    if (!read.started())
        return std::nullopt;
    return parseFrameLimit(read.standardOutput);
}

GameOverlay::Change MetalDefaults::change(const QStringList& arguments, const QString& failure)
{
    const ProcessResult run = m_runner.run(tool, arguments);
    if (!run.started())
        return {Change::Status::Unavailable, failure + QStringLiteral(": ") + run.errorString};
    if (!run.succeeded())
        return {Change::Status::Failed, failure};
    return {Change::Status::Done};
}

GameOverlay::Change MetalDefaults::writeFrameLimit(qint64 limit)
{
    Change write = change({"write", "-g", kFrameLimitKey, "-int", QString::number(limit)},
                          QStringLiteral("Failed to set frame limit"));
    // One global default: the value written is the one that holds.
    if (write.done())
        write.limitInForce = limit >= 1 ? std::optional(limit) : std::nullopt;
    return write;
}

GameOverlay::Change MetalDefaults::removeFrameLimit()
{
    return change({"delete", "-g", kFrameLimitKey}, QStringLiteral("Failed to remove frame limit"));
}

void MetalDefaults::removeOwnSettings(bool frameLimitSet, const QStringList& hudBundleIdentifiers)
{
    if (frameLimitSet)
        m_runner.run(tool, {"delete", "-g", kFrameLimitKey});
    writeHUDs(hudBundleIdentifiers, false);
}

void MetalDefaults::removeSystemWideSettings()
{
    for (const QString& domain : uninstallDomains) {
        for (const QString& key : keys)
            m_runner.run(tool, {"delete", domain, key});
    }
}

GameOverlay::HUDWrite MetalDefaults::writeHUD(const QString& bundleIdentifier, bool enabled)
{
    const bool done =
        enabled ? m_runner.run(tool, {"write", bundleIdentifier, kHudKey, "-bool", "YES"}).succeeded()
                : m_runner.run(tool, {"delete", bundleIdentifier, kHudKey}).outcome == ProcessResult::Outcome::Exited;
    return done ? HUDWrite::Done : HUDWrite::Failed;
}

std::optional<qint64> MetalDefaults::parseFrameLimit(const QByteArray& output)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(output);
    if (decoder.hasError())
        return std::nullopt;
    return parseLimit(text);
}
