#include "Readout.h"

#include <QFontMetrics>
#include <QLabel>
#include <cmath>

std::optional<qint64> Readout::wholeNumber(double value)
{
    // 2^63 is the first double beyond qint64.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(value) || std::fabs(value) >= limit)
        return std::nullopt;
    return qint64(std::trunc(value));
}

QString Readout::wholeText(double value)
{
    const auto whole = wholeNumber(value);
    return whole ? QString::number(*whole) : QString();
}

QString Readout::format(const char* pattern, double value)
{
    if (!std::isfinite(value))
        return {};
    return QString::asprintf(pattern, value);
}

void Readout::holdSize(QLabel& label, const QString& widest, Qt::Alignment alignment)
{
    const QFontMetrics metrics(label.font());
    label.setAlignment(alignment | Qt::AlignVCenter);
    label.setFixedSize(metrics.horizontalAdvance(widest) + 1, metrics.height());
}
