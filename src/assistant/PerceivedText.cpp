#include "PerceivedText.h"

#include <QTextBoundaryFinder>

namespace {

// The code-unit position after `count` perceived characters, or -1 when the text has fewer.
qsizetype boundaryAfter(const QString& text, qsizetype count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (qsizetype i = 0; i < count; ++i) {
        position = finder.toNextBoundary();
        if (position < 0)
            return -1;
    }
    return position;
}

} // namespace

QString PerceivedText::left(const QString& text, qsizetype count)
{
    if (count <= 0)
        return {};
    const qsizetype end = boundaryAfter(text, count);
    return end < 0 ? text : text.left(end);
}

QString PerceivedText::capped(const QString& text, qsizetype limit)
{
    if (boundaryAfter(text, limit + 1) < 0)
        return text;
    return left(text, limit - 1) + QChar(0x2026);
}
