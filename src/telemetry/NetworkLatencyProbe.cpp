#include "NetworkLatencyProbe.h"

#include "ProcessRunner.h"

#include <QStringDecoder>

std::optional<double> NetworkLatencyProbe::measure(ProcessRunner& runner, const QString& host, int timeoutMs)
{
    const ProcessResult result = runner.run(QStringLiteral("/sbin/ping"), {"-c", "1", host}, timeoutMs);
    if (!result.started())
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(result.standardOutput);
    if (decoder.hasError())
        return std::nullopt;
    return echoTime(text);
}

std::optional<double> NetworkLatencyProbe::echoTime(const QString& output)
{
    const qsizetype at = output.indexOf(QLatin1String("time="));
    if (at < 0)
        return std::nullopt;
    const QString following = output.mid(at + 5, 10);
    QString firstPiece;
    for (const QChar c : following) {
        if (c.isNumber() || c == '.')
            firstPiece.append(c);
        else if (!firstPiece.isEmpty())
            break;
    }
    if (firstPiece.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = firstPiece.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}
