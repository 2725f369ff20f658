#include "ToolText.h"

#include <QLocale>
#include <cmath>
#include <limits>

QString ToolText::trimmedSpacesAndTabs(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

std::optional<double> ToolText::toDouble(const QString& text)
{
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return std::nullopt;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text, &ok);
    // The C locale also reads "nan" and "inf", which no tool means as a reading.
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> ToolText::toInteger(const QString& text)
{
    const auto value = toInteger64(text);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*value);
}

std::optional<qint64> ToolText::toInteger64(const QString& text)
{
    const qsizetype digitsStart = (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) ? 1 : 0;
    if (digitsStart == text.size())
        return std::nullopt;
    for (qsizetype i = digitsStart; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}
