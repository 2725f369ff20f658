#include "DiskUsage.h"

#include "ProcessRunner.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <limits>

QStringList DiskUsage::summaryArguments(const QString& path)
{
    return {QStringLiteral("-skx"), QStringLiteral("--"), path};
}

qint64 DiskUsage::parseSummary(const QByteArray& output)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(output);
    if (utf8.hasError())
        return 0;
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    const QString blocks = text.section(QLatin1Char('\t'), 0, 0);
    if (!decimal.match(blocks).hasMatch())
        return 0;
    bool ok = false;
    const qint64 count = blocks.toLongLong(&ok);
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 1024;
    if (!ok || count > limit || count < -limit)
        return 0;
    return count * 1024;
}

qint64 DiskUsage::folderSize(ProcessRunner& runner, const QString& path, int timeoutMs,
                             const std::function<bool()>& abandoned)
{
    const ProcessResult result =
        runner.runUnlessAbandoned(program, summaryArguments(path), timeoutMs, abandoned);
    if (result.outcome != ProcessResult::Outcome::Exited)
        return 0;
    return parseSummary(result.standardOutput);
}
