#include "PingOutput.h"

#include "ToolText.h"

std::optional<double> PingOutput::latency(const QString& text)
{
    static const QString marker = QStringLiteral("time=");
    const qsizetype at = text.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const QString window = text.mid(at + marker.size(), 10);
    const auto isPart = [](QChar c) { return c.isNumber() || c == u'.'; };
    qsizetype begin = 0;
    while (begin < window.size() && !isPart(window[begin]))
        ++begin;
    qsizetype end = begin;
    while (end < window.size() && isPart(window[end]))
        ++end;
    if (begin == end)
        return std::nullopt;
    return ToolText::toDouble(window.sliced(begin, end - begin));
}
