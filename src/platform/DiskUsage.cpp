#include "DiskUsage.h"

#include "ProcessRunner.h"

#include <QStringDecoder>
#include <limits>

qint64 DiskUsage::parseKilobytes(const QByteArray& output)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(output);
    if (decoder.hasError())
        return 0;
    const QString field = text.section(QLatin1Char('\t'), 0, 0);
    const qsizetype digitsFrom = field.startsWith(u'+') || field.startsWith(u'-') ? 1 : 0;
    if (field.size() == digitsFrom)
        return 0;
    for (qsizetype i = digitsFrom; i < field.size(); ++i) {
        if (field[i] < u'0' || field[i] > u'9')
            return 0;
    }
    bool ok = false;
    const qint64 kib = field.toLongLong(&ok);
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 1024;
    if (!ok || kib > limit || kib < -limit)
        return 0;
    return kib * 1024;
}

qint64 DiskUsage::folderSize(ProcessRunner& runner, const QString& path, int timeoutMs,
                             const std::function<bool()>& abandoned)
{
    const ProcessResult result = runner.runUnlessAbandoned(
        QStringLiteral("/usr/bin/du"),
        {QStringLiteral("-s"), QStringLiteral("-k"), QStringLiteral("-x"), QStringLiteral("--"), path}, timeoutMs,
        abandoned);
    if (result.outcome == ProcessResult::Outcome::FailedToStart || result.outcome == ProcessResult::Outcome::TimedOut)
        return 0;
    return parseKilobytes(result.standardOutput);
}
